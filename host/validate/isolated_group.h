// Runs one group of tests in a process of its own, so that a plug-in that crashes or hangs
// costs only that group: the test it died in is reported with the signal or the timeout.
// What the plug-in writes to standard output and standard error is counted (and passed on
// to standard error), and reported as a warning, since hosts log it and some object to it.
#pragma once

#include "probe.h"
#include "report.h"

#include <functional>
#include <optional>
#include <string>

namespace vhost::validate {

using GroupBody = std::function<void(Probe&)>;
using RecordSink = std::function<void(const TestRecord&)>;

// Returns why the group's process ended abnormally (a signal, the timeout, an exit code),
// or nullopt when it ran to its end.
std::optional<std::string> RunIsolated(const std::string& group, const GroupBody& body,
                                       double timeoutSeconds, const RecordSink& sink);

} // namespace vhost::validate
