#include "host/terminal.h"

#include <csignal>
#include <initializer_list>
#include <unistd.h>

namespace vhost {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

} // namespace

bool StderrIsTerminal() noexcept {
    return isatty(STDERR_FILENO) == 1;
}

void CatchInterrupts() noexcept {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the second signal takes the default way out
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
}

bool InterruptRequested() noexcept {
    return interrupted != 0;
}

} // namespace vhost
