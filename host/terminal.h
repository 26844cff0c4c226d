// Whether a stream goes to an interactive terminal (platform file).
#pragma once

namespace vhost {

bool stderrIsTerminal() noexcept;

} // namespace vhost
