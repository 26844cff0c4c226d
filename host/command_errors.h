// The errors of a command line beside the host library's HostError: each has its own exit
// code, and its message is meant to be read as it is.
#pragma once

#include "vsthost/host_error.h"

#include <functional>
#include <ostream>

namespace vhost {

// HostError: something about the plug-in, the files or the system went wrong: exit code 1.

// The command line itself is wrong: exit code 2.
struct UsageError : HostError {
    using HostError::HostError;
};

// The user interrupted the run: exit code 130.
struct InterruptedError : HostError {
    InterruptedError() : HostError("interrupted; nothing was written") {}
};

// Runs a command's body and turns what it throws into a message on `err` and an exit code.
int WithExitCode(std::ostream& err, const std::function<int()>& body);

} // namespace vhost
