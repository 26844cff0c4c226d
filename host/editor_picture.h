// Pictures of a plug-in's editor, for plug-ins that draw one on request (Velmorande does).
#pragma once

#include "vsthost/plugin_instance.h"

#include <cstdint>
#include <vector>

namespace vhost {

// Asks the plug-in for a picture of its editor as a freshly opened window would show it, at
// a scale (device pixels per pixel of its own size; 0 for the plug-in's own); returns it as
// a PNG file's bytes. Throws HostError when the plug-in offers no picture.
std::vector<std::uint8_t> EditorPictureAsPng(PluginInstance& plugin, double scale = 0.0);

} // namespace vhost
