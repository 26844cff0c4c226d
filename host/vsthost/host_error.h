// The one error the host library throws: what went wrong with a plug-in or the system, in
// words meant to be read as they are.
#pragma once

#include <stdexcept>

namespace vhost {

struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace vhost
