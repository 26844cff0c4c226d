#include "terminal.h"

#include <unistd.h>

namespace vhost {

bool stderrIsTerminal() noexcept {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace vhost
