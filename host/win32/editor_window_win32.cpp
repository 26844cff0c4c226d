#include "editor_window.h"

#include "host_error.h"

namespace vhost {

void runEditorWindow(PluginInstance&, std::ostream&) {
    throw HostError("--editor is not available in the Windows build of the host yet");
}

} // namespace vhost
