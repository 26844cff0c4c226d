// The --info listing: identity, channels, flags, programs, parameters and capabilities.
#pragma once

#include "vsthost/plugin_instance.h"

#include <ostream>

namespace vhost {

void printPluginInfo(PluginInstance& plugin, std::ostream& out);

// Names of the descriptor flags that are set, e.g. "CanReplacing ProgramChunks".
std::string describeFlags(VstInt32 flags);

} // namespace vhost
