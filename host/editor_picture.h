// Pictures of a plug-in's editor, for plug-ins that draw one on request (Velmorande does).
#pragma once

#include "vsthost/plugin_instance.h"

#include <filesystem>

namespace vhost {

// Asks the plug-in for a picture of its editor as a freshly opened window would show it,
// at a scale (device pixels per pixel of its own size; 0 for the plug-in's own), and writes
// it as a PNG. Throws HostError when the plug-in offers no picture or the file cannot be
// written; nothing is left half-written.
void saveEditorPicture(PluginInstance& plugin, const std::filesystem::path& file,
                       double scale = 0.0);

} // namespace vhost
