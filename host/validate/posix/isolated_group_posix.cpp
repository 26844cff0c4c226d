#include "isolated_group.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

// Sanitizer builds check for leaks in each child before it leaves with _exit.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace vhost::validate {
namespace {

void writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

[[noreturn]] void child(int fd, const std::string& group, const GroupBody& body) {
    int code = 0;
    try {
        Probe probe(group, [fd](const std::string& line) { writeAll(fd, line); });
        body(probe);
    } catch (const std::exception& e) {
        writeAll(fd, endLine(Outcome::Fail, 0.0, group + ": group", e.what()));
        code = 1;
    } catch (...) {
        code = 1;
    }
    ::close(fd);
    std::cout.flush();
    std::cerr.flush();
    if (__lsan_do_leak_check) __lsan_do_leak_check();
    ::_exit(code);
}

std::string signalText(int sig) {
    const char* name = ::strsignal(sig);
    return "signal " + std::to_string(sig) + (name ? std::string(" (") + name + ")" : "");
}

} // namespace

void runIsolated(const std::string& group, const GroupBody& body, double timeoutSeconds,
                 const RecordSink& sink) {
    using Clock = std::chrono::steady_clock;
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("cannot create a pipe");
    std::cout.flush();
    std::cerr.flush();
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw std::runtime_error("cannot start a process");
    }
    if (pid == 0) {
        ::close(fds[0]);
        child(fds[1], group, body);
    }
    ::close(fds[1]);

    GroupLog log(group);
    const auto start = Clock::now();
    auto lastBegin = start;
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeoutSeconds));
    std::string pending;
    bool timedOut = false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[4096];
        ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.rfind("begin\t", 0) == 0) lastBegin = Clock::now();
            if (auto record = log.feed(line)) sink(*record);
        }
    }
    ::close(fds[0]);
    if (timedOut) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const std::chrono::duration<double> sinceBegin = Clock::now() - lastBegin;
    if (timedOut) {
        sink(log.abandon("timeout: the group took more than " +
                             std::to_string(static_cast<int>(timeoutSeconds)) + " s",
                         sinceBegin.count()));
    } else if (WIFSIGNALED(status)) {
        sink(log.abandon(signalText(WTERMSIG(status)), sinceBegin.count()));
    } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        sink(log.abandon("the process exited with code " + std::to_string(WEXITSTATUS(status)),
                         sinceBegin.count()));
    } else if (log.testOpen()) {
        sink(log.abandon("the process ended inside the test", sinceBegin.count()));
    }
}

} // namespace vhost::validate
