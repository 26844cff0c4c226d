// What the plug-in process does for --info, --demo and renders: loads the chain, sets its
// state, writes the state files and pictures asked for, renders, and reports back. The
// files go to the staging files of the run's outputs; the host puts them in place.
#pragma once

#include "host/options.h"
#include "host/plugin_process.h"
#include "host/run_outputs.h"

namespace vhost {

// The command's exit code; what goes wrong is said on the report's standard error.
int RunPluginJob(const Options& options, const RunOutputs& outputs, JobReport& report,
                 bool progressAllowed);

} // namespace vhost
