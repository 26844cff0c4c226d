#include "isolated_group.h"

#include "chatter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

// Sanitizer builds check for leaks in each child before it leaves with _exit.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace vhost::validate {
namespace {

void WriteAll(int fd, const char* p, std::size_t left) {
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void WriteAll(int fd, const std::string& text) {
    WriteAll(fd, text.data(), text.size());
}

// A pipe whose ends close with it.
struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("cannot create a pipe");
        read = fds[0];
        write = fds[1];
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void CloseRead() {
        if (read >= 0) ::close(read);
        read = -1;
    }
    void CloseWrite() {
        if (write >= 0) ::close(write);
        write = -1;
    }
};

// The group's own lines go to `fd`; the plug-in's standard output and error to `out` and
// `err`, the sanitizer's leak report back to the real standard error.
[[noreturn]] void Child(int fd, int out, int err, const std::string& group, const GroupBody& body) {
    const int realErr = ::dup(2);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::close(out);
    ::close(err);
    int code = 0;
    try {
        Probe probe(group, [fd](const std::string& line) { WriteAll(fd, line); });
        body(probe);
    } catch (const std::exception& e) {
        WriteAll(fd, EndLine(Outcome::Fail, 0.0, group + ": group", e.what()));
        code = 1;
    } catch (...) {
        code = 1;
    }
    ::close(fd);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    if (realErr >= 0) ::dup2(realErr, 2);
    if (__lsan_do_leak_check) __lsan_do_leak_check();
    ::_exit(code);
}

std::string SignalText(int sig) {
    const char* name = ::strsignal(sig);
    return "signal " + std::to_string(sig) + (name ? std::string(" (") + name + ")" : "");
}

// Takes what is waiting on a plug-in output pipe; false at its end.
bool TakeChatter(int fd, bool toStderr, Chatter& chatter) {
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) return false;
    chatter.Add(toStderr, buffer, static_cast<std::size_t>(n));
    WriteAll(2, buffer, static_cast<std::size_t>(n));
    return true;
}

} // namespace

std::optional<std::string> RunIsolated(const std::string& group, const GroupBody& body,
                                       double timeoutSeconds, const RecordSink& sink) {
    using Clock = std::chrono::steady_clock;
    Pipe lines, out, err;
    std::cout.flush();
    std::cerr.flush();
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot start a process");
    if (pid == 0) {
        lines.CloseRead();
        out.CloseRead();
        err.CloseRead();
        Child(lines.write, out.write, err.write, group, body);
    }
    lines.CloseWrite();
    out.CloseWrite();
    err.CloseWrite();

    GroupLog log(group);
    Chatter chatter;
    const auto start = Clock::now();
    auto lastBegin = start;
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeoutSeconds));
    std::string pending;
    bool timedOut = false;
    std::array<pollfd, 3> watch{pollfd{lines.read, POLLIN, 0}, pollfd{out.read, POLLIN, 0},
                                pollfd{err.read, POLLIN, 0}};
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        for (pollfd& p : watch)
            p.revents = 0;
        int ready = ::poll(watch.data(), watch.size(),
                           static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        for (int s = 1; s <= 2; ++s)
            if (watch[s].revents && !TakeChatter(watch[s].fd, s == 2, chatter))
                watch[s].fd = -1; // poll skips it from now on
        if (!watch[0].revents) continue;
        char buffer[4096];
        ssize_t n = ::read(lines.read, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.rfind("begin\t", 0) == 0) lastBegin = Clock::now();
            if (auto record = log.Feed(line)) sink(*record);
        }
    }
    if (timedOut) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // What the process wrote before it ended is in the pipes; a process of the plug-in's
    // own that still holds them is not waited for.
    for (int s = 1; s <= 2; ++s)
        if (watch[s].fd >= 0) {
            ::fcntl(watch[s].fd, F_SETFL, ::fcntl(watch[s].fd, F_GETFL) | O_NONBLOCK);
            while (TakeChatter(watch[s].fd, s == 2, chatter)) {
            }
        }
    const std::chrono::duration<double> sinceBegin = Clock::now() - lastBegin;
    std::optional<std::string> abnormal;
    if (timedOut)
        abnormal = "timeout: the group took more than " +
                   std::to_string(static_cast<int>(timeoutSeconds)) + " s";
    else if (WIFSIGNALED(status))
        abnormal = SignalText(WTERMSIG(status));
    else if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        abnormal = "the process exited with code " + std::to_string(WEXITSTATUS(status));
    else if (log.TestOpen())
        abnormal = "the process ended inside the test";
    if (abnormal) sink(log.Abandon(*abnormal, sinceBegin.count()));
    if (auto record = chatter.Record(group)) sink(*record);
    return abnormal;
}

} // namespace vhost::validate
