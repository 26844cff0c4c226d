// Link opening, the two module folders, and the colour and file choosers, which on X11 are
// the desktop's own programs (zenity, else kdialog) run without a shell. Without either a
// chooser answers "cancelled".
#include "core/plug_base.h"
#include "core/plug_mutex.h"
#include "editor/link_opener.h"
#include "editor/x11/x11_editor_window.h"

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

extern char** environ;

namespace {

std::string FolderOf(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos || slash + 1 == name.size()) return {};
    return name.substr(0, slash + 1);
}

// The first of the programs found on PATH, with its full name.
std::string FindProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        const std::string full = dir + "/" + name;
        if (access(full.c_str(), X_OK) == 0) return full;
    }
    return {};
}

// Runs a program with its arguments, no shell; answers its standard output when it exited
// with 0, else nothing.
bool Run(const std::vector<std::string>& args, std::string& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    output.clear();
    char buffer[512];
    for (;;) {
        const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool X11EditorWindow::RunDialog(const std::vector<std::string>& args, std::string& output) {
    // Only on the host's thread, inside its idle call: the plug-in lock the host's call
    // took is let go while the user chooses, so audio goes on. On our own thread a dialog
    // could not let go safely, so it counts as cancelled.
    if (!inIdle_ || !window_) return false;
    PlugMutex* lock = Plug() ? &Plug()->Mutex() : nullptr;
    if (lock) lock->Leave();
    const bool ok = Run(args, output);
    if (lock) lock->Enter();
    return ok;
}

bool X11EditorWindow::OpenLink(const char* url, const char* title, const char* confirmText,
                               const char* errorText) {
    if (!url || (std::strncmp(url, "https://", 8) != 0 && std::strncmp(url, "http://", 7) != 0))
        return false;
    const std::string zenity = FindProgram("zenity");
    std::string ignored;
    if (confirmText) {
        if (zenity.empty() ||
            !RunDialog({zenity, "--question", "--title", title ? title : "", "--text", confirmText},
                       ignored))
            return false;
    }
    if (OpenLinkInBrowser(url)) return true;
    if (errorText && !zenity.empty())
        RunDialog({zenity, "--error", "--title", title ? title : "", "--text", errorText}, ignored);
    return false;
}

bool X11EditorWindow::HostFolder(std::string& out) {
    char name[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", name, sizeof name - 1);
    out = n > 0 ? FolderOf(std::string(name, static_cast<std::size_t>(n))) : std::string();
    return !out.empty();
}

bool X11EditorWindow::PluginFolder(std::string& out) {
    // The library that holds this very code.
    Dl_info info{};
    out.clear();
    if (dladdr(reinterpret_cast<void*>(&FolderOf), &info) && info.dli_fname) {
        char full[PATH_MAX];
        out = FolderOf(realpath(info.dli_fname, full) ? full : info.dli_fname);
    }
    return !out.empty();
}

bool X11EditorWindow::AskForColour(IPlugColor& colour, const char* title) {
    if (!window_) return false;
    char start[32];
    std::snprintf(start, sizeof start, "#%02x%02x%02x", colour.R & 255, colour.G & 255,
                  colour.B & 255);
    std::string answer;
    int r = 0, g = 0, b = 0;
    if (const std::string zenity = FindProgram("zenity"); !zenity.empty()) {
        std::vector<std::string> args{zenity, "--color-selection", "--color", start};
        if (title) args.insert(args.end(), {"--title", title});
        if (!RunDialog(args, answer)) return false;
        double a = 1.0;
        if (std::sscanf(answer.c_str(), "rgb(%d,%d,%d)", &r, &g, &b) != 3 &&
            std::sscanf(answer.c_str(), "rgba(%d,%d,%d,%lf)", &r, &g, &b, &a) < 3 &&
            std::sscanf(answer.c_str(), "#%02x%02x%02x", &r, &g, &b) != 3)
            return false;
    } else if (const std::string kdialog = FindProgram("kdialog"); !kdialog.empty()) {
        std::vector<std::string> args{kdialog, "--getcolor", "--default", start};
        if (title) args.insert(args.end(), {"--title", title});
        if (!RunDialog(args, answer) ||
            std::sscanf(answer.c_str(), "#%02x%02x%02x", &r, &g, &b) != 3)
            return false;
    } else {
        return false;
    }
    colour.R = r & 255;
    colour.G = g & 255;
    colour.B = b & 255;
    return true;
}

bool X11EditorWindow::AskForFile(std::string& path, bool save, const char* folder,
                                 const char* extensions) {
    if (!window_) {
        path.clear();
        return false;
    }
    std::string start;
    if (folder && folder[0])
        start = folder;
    else
        HostFolder(start);
    if (!start.empty() && start.back() != '/') start += '/';
    start += path;

    // "png jpg" gives the pattern "*.png *.jpg".
    std::string pattern;
    if (extensions) {
        std::istringstream words(extensions);
        std::string word;
        while (words >> word)
            pattern += (pattern.empty() ? "*." : " *.") + word;
    }

    std::vector<std::string> args;
    if (const std::string zenity = FindProgram("zenity"); !zenity.empty()) {
        args = {zenity, "--file-selection", "--filename", start};
        if (save) args.insert(args.end(), {"--save", "--confirm-overwrite"});
        if (!pattern.empty()) args.insert(args.end(), {"--file-filter", pattern});
    } else if (const std::string kdialog = FindProgram("kdialog"); !kdialog.empty()) {
        args = {kdialog, save ? "--getsavefilename" : "--getopenfilename", start};
        if (!pattern.empty()) args.push_back(pattern);
    }
    std::string answer;
    if (args.empty() || !RunDialog(args, answer) || answer.empty()) {
        path.clear();
        return false;
    }
    path = answer;
    return true;
}
