#include "editor/link_opener.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

bool OpenLinkInBrowser(const char* url) {
    if (!url || !url[0]) return false;
    // Only web addresses: never hand the desktop's opener a file or an option.
    if (std::strncmp(url, "https://", 8) != 0 && std::strncmp(url, "http://", 7) != 0) return false;
    if (access("/usr/bin/xdg-open", X_OK) != 0) return false;
    // A shell starts the opener in the background and returns at once, so the host's
    // user-interface thread never waits for a browser, and no child is left unreaped.
    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    char script[] = "/usr/bin/xdg-open \"$1\" >/dev/null 2>&1 &";
    char name[] = "open-link";
    char* argv[] = {shell, dashC, script, name, const_cast<char*>(url), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, shell, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
