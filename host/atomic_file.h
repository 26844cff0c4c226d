// A temporary file beside a target path that replaces the target only when committed, so a
// failed run never leaves a half-written file under the target's name.
#pragma once

#include <filesystem>

namespace vhost {

class TemporaryFile {
public:
    // Picks an unused name in the target's directory; throws HostError when the directory
    // does not exist.
    explicit TemporaryFile(const std::filesystem::path& target);
    ~TemporaryFile(); // removes the temporary file unless committed
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const noexcept { return temp_; }
    const std::filesystem::path& target() const noexcept { return target_; }
    // Renames the temporary file onto the target; throws HostError on failure.
    void commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    bool committed_ = false;
};

} // namespace vhost
