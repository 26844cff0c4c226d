// What the host's writer and reader need from the file system beyond std::filesystem:
// ownership, permissions, link counts, exclusive creation and unnamed files (platform file).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace vhost {

// A node as the process sees it, through symbolic links.
struct NodeFacts {
    enum class Type { Missing, Regular, Directory, Other };
    Type type = Type::Missing;
    std::uint64_t device = 0, inode = 0;
    unsigned mode = 0; // permission bits
    unsigned owner = 0, group = 0;
    std::uint64_t links = 0;
    // The process may write it. A file without any write permission counts as not writable
    // even for the superuser: its mode says it is not to be changed.
    bool writable = false;
};

// Throws HostError when the node exists but cannot be examined.
NodeFacts InspectNode(const std::filesystem::path& path);

// Whether the process may create and remove names in a directory.
bool MayCreateIn(const std::filesystem::path& directory);

// Creates an empty file that did not exist yet, with the permissions new files get (0666
// less the umask); false when the name is taken. Throws HostError for other failures.
bool CreateExclusive(const std::filesystem::path& path);

// Gives `file` the owner, group and permissions in `like`; false when the process may not
// set them all.
bool CopyOwnership(const std::filesystem::path& file, const NodeFacts& like);

// Writes everything in `from` into the existing node `to` without replacing it (a regular
// file is cut to the new length). Throws HostError naming `shownAs` with the system's reason.
void CopyInto(const std::filesystem::path& from, const std::filesystem::path& to,
              const std::string& shownAs);

// A descriptor for reading `path` ("-": standard input) from which the whole file can be read
// with seeking: a pipe or a device is first copied to an unnamed temporary file, which
// disappears when the descriptor is closed. -1 with the reason in `failure` when it fails.
int OpenSeekableForReading(const std::string& path, std::string& failure);

} // namespace vhost
