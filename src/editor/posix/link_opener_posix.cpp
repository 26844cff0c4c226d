#include "editor/link_opener.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

extern char** environ;

bool OpenLinkInBrowser(const char* url) {
    if (!url || !url[0]) return false;
    // Only web addresses: never hand the desktop's opener a file or an option.
    if (std::strncmp(url, "https://", 8) != 0 && std::strncmp(url, "http://", 7) != 0) return false;
    if (access("/usr/bin/xdg-open", X_OK) != 0 || access("/usr/bin/setsid", X_OK) != 0)
        return false;
    // No shell: setsid starts the opener in a session of its own and returns at once, so
    // the host's user-interface thread never waits for a browser and no child is left
    // unreaped in the host.
    char setsid[] = "/usr/bin/setsid";
    char fork[] = "--fork";
    char opener[] = "/usr/bin/xdg-open";
    char* argv[] = {setsid, fork, opener, const_cast<char*>(url), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, setsid, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
