#include "host/terminal.h"

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace vhost {
namespace {

volatile LONG interrupted = 0;

BOOL WINAPI onConsoleEvent(DWORD) {
    // The second event takes the default way out.
    return InterlockedExchange(&interrupted, 1) == 0 ? TRUE : FALSE;
}

} // namespace

bool stderrIsTerminal() noexcept {
    return _isatty(_fileno(stderr)) != 0;
}

void catchInterrupts() noexcept {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool interruptRequested() noexcept {
    return interrupted != 0;
}

} // namespace vhost
