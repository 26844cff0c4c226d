// The effect this library is built around, for the format layer's entry point.
#include "plugin/velmorande.h"

#include <new>

IPlugFormat* CreatePlugin(IPlugFormat::Host host) {
    return new (std::nothrow) VSTCLASS(host);
}
