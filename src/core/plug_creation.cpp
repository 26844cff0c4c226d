#include "core/plug_creation.h"

std::mutex& PlugCreationLock() {
    static std::mutex lock;
    return lock;
}
