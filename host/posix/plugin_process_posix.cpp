#include "host/plugin_process.h"

#include "host/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

// Sanitizer builds check for leaks in the child before it leaves with _exit.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace vhost {
namespace {

void WriteAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // the host is gone: nobody is left to tell
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

[[noreturn]] void Child(int fd, pid_t host, const Job& job) {
    // The host decides about interrupts: it stops this process when one arrives.
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::signal(sig, SIG_IGN);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != host) ::_exit(1);
    int code = 1;
    {
        JobReport report([fd](const std::string& bytes) { WriteAll(fd, bytes); });
        code = job(report);
        report.Finish(code);
    }
    // What a plug-in printed with stdio goes out now: _exit does not flush.
    std::fflush(nullptr);
    ::close(fd);
    if (__lsan_do_leak_check) __lsan_do_leak_check();
    ::_exit(code);
}

std::string SignalText(int sig) {
    const char* name = ::strsignal(sig);
    return "signal " + std::to_string(sig) + (name ? std::string(": ") + name : std::string());
}

} // namespace

JobResult RunPluginProcess(const Job& job, std::ostream& err) {
    JobResult result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.failure = "could not be started (" + std::string(std::strerror(errno)) + ")";
        return result;
    }
    std::cout.flush();
    std::cerr.flush();
    err.flush();
    std::fflush(nullptr);
    const pid_t host = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.failure = "could not be started (" + std::string(std::strerror(errno)) + ")";
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        Child(fds[1], host, job);
    }
    ::close(fds[1]);

    JobReader reader(result, err);
    int status = 0;
    bool ended = false;
    for (;;) {
        if (InterruptRequested()) {
            ::kill(pid, SIGKILL);
            result.interrupted = true;
            break;
        }
        // Woken by the child's records, by its end, or by a signal; at the latest every
        // 100 ms to look at the interrupt flag and at the child itself.
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready > 0) {
            char buffer[65536];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n > 0) {
                reader.Feed(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0) break; // every writer is gone
            if (errno == EINTR) continue;
            break;
        }
        // A process the plug-in started may hold the pipe open after the child ended.
        if (ready == 0 && ::waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
            char buffer[65536];
            for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
                reader.Feed(buffer, static_cast<std::size_t>(n));
            break;
        }
    }
    ::close(fds[0]);
    while (!ended && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (result.interrupted) return result;
    if (WIFSIGNALED(status)) {
        result.finished = false;
        result.failure = "crashed (" + SignalText(WTERMSIG(status)) + ")";
    } else if (!result.finished) {
        result.failure = "ended the process (exit status " +
                         std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    }
    return result;
}

} // namespace vhost
