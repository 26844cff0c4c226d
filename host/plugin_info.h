// The --info listing: identity, channels, flags, programs, parameters and capabilities.
#pragma once

#include "vsthost/plugin_instance.h"

#include <ostream>

namespace vhost {

void PrintPluginInfo(PluginInstance& plugin, std::ostream& out);
// The same as JSON, with each parameter's range (its displays at 0 and 1) and, for
// parameters with few values, the texts of all of them. Parameters are left as they were.
void PrintPluginInfoJson(PluginInstance& plugin, std::ostream& out);

// Names of the descriptor flags that are set, e.g. "CanReplacing ProgramChunks".
std::string DescribeFlags(VstInt32 flags);

} // namespace vhost
