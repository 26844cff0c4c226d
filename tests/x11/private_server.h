#pragma once

// An X server of a test's own (Xvfb), for what a test may not do to the shared one: kill it
// under the editor, or load a resource database into it.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// Xvfb picks a free display itself (-displayfd), so stale sockets of servers killed before
// never stand in the way.
class PrivateServer {
public:
    explicit PrivateServer(const std::string& screen = "1280x1024x24") {
        int fds[2];
        if (pipe(fds) != 0) {
            error_ = std::string("pipe: ") + std::strerror(errno);
            return;
        }
        const std::string fd = std::to_string(fds[1]);
        // Kept as it is when its last client leaves, as a desktop's server is: a reset
        // would drop a resource database loaded into it.
        std::vector<std::string> args{"/usr/bin/Xvfb", "-displayfd", fd,    "-screen", "0",
                                      screen,          "-nolisten",  "tcp", "-noreset"};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        // A busy machine may refuse a process for a moment; that is not the editor's fault.
        int spawned = EAGAIN;
        for (int attempt = 0; attempt < 20 && (spawned == EAGAIN || spawned == ENOMEM); ++attempt) {
            if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            pid_ = 0;
            error_ = std::string("posix_spawn Xvfb: ") + std::strerror(spawned);
            close(fds[0]);
            return;
        }
        // The display number, then a newline, once the server listens.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && poll(&ready, 1, 10000) > 0) {
            char buffer[16];
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            number.append(buffer, static_cast<std::size_t>(n));
        }
        close(fds[0]);
        if (number.find('\n') == std::string::npos) {
            error_ = "Xvfb did not report a display";
            Kill();
            return;
        }
        number.pop_back();
        display_ = ":" + number;
    }
    ~PrivateServer() { Kill(); }
    const std::string& Display() const { return display_; }
    bool Running() const { return pid_ != 0; }
    const std::string& Error() const { return error_; }
    // Abruptly, as a crashed server goes; then the files it could not remove.
    void Kill() {
        if (!pid_) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
        if (display_.empty()) return;
        const std::string number = display_.substr(1);
        unlink(("/tmp/.X11-unix/X" + number).c_str());
        unlink(("/tmp/.X" + number + "-lock").c_str());
    }

private:
    pid_t pid_ = 0;
    std::string display_;
    std::string error_;
};
