// A plug-in's editor in a top-level window of the host's own (platform file).
#pragma once

#include "vsthost/plugin_instance.h"

#include <optional>
#include <ostream>

namespace vhost {

// Opens the plug-in's editor in a window of ours and idles it until the user closes the
// window (or an interrupt arrives). A scale is given to the plug-in first as a host's
// content scale (effVendorSpecific 'PreS' 'AeCs'). Throws HostError when the plug-in has no
// editor, there is no display or the editor does not open.
void RunEditorWindow(PluginInstance& plugin, std::ostream& out,
                     std::optional<double> scale = std::nullopt);

} // namespace vhost
