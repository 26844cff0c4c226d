#include "editor_window.h"

#include "host_error.h"

namespace vhost {

void runEditorWindow(PluginInstance&, std::ostream&, std::optional<double>) {
    throw HostError("--editor is not available in the Windows build of the host yet");
}

} // namespace vhost
