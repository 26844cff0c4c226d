// The one way the host writes a file or a stream. The data goes first to a staging file of
// its own; only commit() puts it where the user asked, by these rules:
// - a regular file is replaced, keeping its mode, owner and group; one the user may not
//   write is refused unless forced; one with several hard links, one whose owner the
//   process cannot give back, and one in a directory the user may not write are written in
//   place, so they stay the file they were;
// - a symbolic link has its target written by the same rules;
// - a node that is not a regular file (a device, a FIFO) is written into, never replaced;
// - "-" is standard output.
// Every write, and closing, is checked; a staging file that is not committed is removed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <span>
#include <string>

namespace vhost {

enum class OutputKind {
    Replace,        // a regular file, new or replaced by renaming the staging file onto it
    InPlace,        // an existing regular file written over once the data is complete
    Stream,         // a node that is not a regular file, written into
    StandardOutput, // "-"
};

class OutputFile {
public:
    // `role` says what the file is for in messages ("OUTPUT", "--save"). Checks that the file
    // may be written and makes the staging file; throws HostError (UsageError for a file the
    // user may not write) before anything is written.
    OutputFile(std::string role, std::string name, bool force);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& Role() const noexcept { return role_; }
    // As the user gave it.
    const std::string& Name() const noexcept { return name_; }
    // "standard output" for "-", else the name.
    std::string ShownName() const;
    OutputKind Kind() const noexcept { return kind_; }
    // Where the data is to be written before commit().
    const std::filesystem::path& Staging() const noexcept { return staging_; }

    // Puts the staged data in place; standard output goes to `standardOutput`. Throws
    // HostError when that fails.
    void Commit(std::ostream& standardOutput);

private:
    std::string role_;
    std::string name_;
    std::filesystem::path target_; // a link's target for a link
    OutputKind kind_ = OutputKind::Replace;
    bool force_ = false;
    bool existed_ = false;
    std::filesystem::path staging_;
    bool committed_ = false;
};

// Writes bytes as the whole content of `path`, checking every write and the close; throws
// HostError naming `shownAs`.
void WriteWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    const std::string& shownAs);

} // namespace vhost
