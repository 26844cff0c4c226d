// Where an output file really goes: a regular file is replaced atomically, a symbolic link has
// its target replaced, a device or pipe is written into and never replaced, "-" is standard
// output. Also the check that two names do not lead to the same file.
#pragma once

#include <filesystem>
#include <string>

namespace vhost {

enum class OutputKind {
    File,           // replaced through a temporary file beside it
    Stream,         // an existing node that is not a regular file: written directly
    StandardOutput, // "-"
};

struct OutputTarget {
    std::filesystem::path path; // the symbolic link's target for a link
    OutputKind kind = OutputKind::File;
};

// Throws HostError for a directory, or a chain of links that leads nowhere.
OutputTarget resolveOutput(const std::filesystem::path& path);

// Whether two names lead to the same file: by device and inode when both exist (through links
// and hard links alike), else by their full path.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace vhost
