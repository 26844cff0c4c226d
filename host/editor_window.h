// A plug-in's editor in a top-level window of the host's own (platform file).
#pragma once

#include "vsthost/plugin_instance.h"

#include <ostream>

namespace vhost {

// Opens the plug-in's editor in a window of ours and idles it until the user closes the
// window (or an interrupt arrives). Throws HostError when the plug-in has no editor, there
// is no display or the editor does not open.
void runEditorWindow(PluginInstance& plugin, std::ostream& out);

} // namespace vhost
