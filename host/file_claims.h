// The files a command names and what it does with each, so that no file it writes is also
// read or written under another name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vhost {

struct FileClaim {
    std::string role; // "INPUT", "--save"...
    std::string path; // as the user gave it; "-" is a standard stream
    bool written = false;
};

// Throws UsageError for two claims that name one file when either of them writes it
// (reading one file twice, as a chain of one plug-in twice does, harms nothing). Two written
// "-" both mean standard output.
void CheckDistinctFiles(const std::vector<FileClaim>& claims);

// Whether two names lead to the same file: by device and inode when both exist (through links
// and hard links alike), else by their full path with links resolved.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace vhost
