// Runs one group of tests in a process of its own, so that a plug-in that crashes or hangs
// costs only that group: the test it died in is reported with the signal or the timeout.
#pragma once

#include "probe.h"
#include "report.h"

#include <functional>
#include <string>

namespace vhost::validate {

using GroupBody = std::function<void(Probe&)>;
using RecordSink = std::function<void(const TestRecord&)>;

void runIsolated(const std::string& group, const GroupBody& body, double timeoutSeconds,
                 const RecordSink& sink);

} // namespace vhost::validate
