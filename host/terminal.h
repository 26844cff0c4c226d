// The process's terminal and signals (platform file).
#pragma once

namespace vhost {

bool StderrIsTerminal() noexcept;

// After this, the first interrupt or termination signal only sets a flag, so a render can stop
// between blocks and clean up; a second one ends the process as usual.
void CatchInterrupts() noexcept;
bool InterruptRequested() noexcept;

} // namespace vhost
