#include "host/editor_window.h"

#include "host/command_errors.h"

namespace vhost {

void runEditorWindow(PluginInstance&, std::ostream&) {
    throw HostError("--editor is not available in the Windows build of the host yet");
}

} // namespace vhost
