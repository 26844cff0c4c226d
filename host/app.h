// What velmorande-host does for a parsed command line.
#pragma once

#include "host/options.h"

#include <ostream>

namespace vhost {

// Runs the command; results go to `out`, messages, warnings and the progress bar to `err`.
// Returns the exit status (0 success, 1 failure, 2 usage error).
int RunHost(const Options& options, std::ostream& out, std::ostream& err,
            bool progressAllowed = false);

} // namespace vhost
