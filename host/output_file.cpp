#include "host/output_file.h"

#include "host/command_errors.h"
#include "host/file_system.h"
#include "host/standard_output.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>

namespace vhost {
namespace {

namespace fs = std::filesystem;

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::mt19937_64 mix(seed ^ static_cast<std::uint64_t>(now) ^ (counter.fetch_add(1) * 0x9E37u));
    return std::to_string(mix() % 100000000);
}

// Follows links one by one, so that a dangling link still names the file to create.
fs::path FollowLinks(const fs::path& path) {
    fs::path target = path;
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
        if (hops == 40) throw HostError("too many symbolic links: " + path.string());
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) throw HostError("cannot read the link " + target.string() + ": " + ec.message());
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

fs::path DirectoryOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// A new empty file in `dir` whose name starts with `stem`.
fs::path MakeStaging(const fs::path& dir, const std::string& stem) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = dir / (stem + ".tmp" + UniqueSuffix());
        if (CreateExclusive(candidate)) return candidate;
    }
    throw HostError("cannot find a free temporary name in " + dir.string());
}

fs::path TemporaryDirectory() {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    if (ec) throw HostError("no directory for temporary files: " + ec.message());
    return dir;
}

std::string ModeText(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode);
    return text;
}

} // namespace

OutputFile::OutputFile(std::string role, std::string name, bool force)
    : role_(std::move(role)), name_(std::move(name)), force_(force) {
    if (name_.empty()) throw UsageError(role_ + " needs a file name");
    if (name_ == "-") {
        kind_ = OutputKind::StandardOutput;
        staging_ = MakeStaging(TemporaryDirectory(), "velmorande-host-stdout");
        return;
    }
    target_ = FollowLinks(name_);
    const NodeFacts facts = InspectNode(target_);
    const fs::path dir = DirectoryOf(target_);
    std::error_code ec;
    switch (facts.type) {
    case NodeFacts::Type::Directory:
        throw HostError(role_ + " " + name_ + " is a directory");
    case NodeFacts::Type::Other:
        kind_ = OutputKind::Stream;
        staging_ =
            MakeStaging(TemporaryDirectory(), "velmorande-host-" + target_.filename().string());
        return;
    case NodeFacts::Type::Missing:
        if (!fs::is_directory(dir, ec))
            throw HostError("the directory of " + role_ + " " + name_ + " does not exist");
        if (!MayCreateIn(dir))
            throw HostError("cannot create " + role_ + " " + name_ + ": the directory " +
                            dir.string() + " is not writable");
        kind_ = OutputKind::Replace;
        break;
    case NodeFacts::Type::Regular:
        existed_ = true;
        if (!facts.writable && !force_)
            throw HostError(role_ + " " + name_ + " is not writable (mode " + ModeText(facts.mode) +
                            "): give --force to replace it");
        // Several links stay one file, and a directory we may not write keeps its names,
        // only when the file is written over in place.
        if (facts.writable && (facts.links > 1 || !MayCreateIn(dir)))
            kind_ = OutputKind::InPlace;
        else if (!MayCreateIn(dir))
            throw HostError("cannot replace " + role_ + " " + name_ +
                            ": neither it nor its "
                            "directory is writable");
        else
            kind_ = OutputKind::Replace;
        break;
    }
    const fs::path stagingDir =
        kind_ == OutputKind::Replace || MayCreateIn(dir) ? dir : TemporaryDirectory();
    std::string hidden(1, '.');
    hidden += target_.filename().string();
    staging_ = MakeStaging(stagingDir, hidden);
}

OutputFile::~OutputFile() {
    std::error_code ec;
    if (!staging_.empty() && !(committed_ && kind_ == OutputKind::Replace))
        fs::remove(staging_, ec);
}

std::string OutputFile::ShownName() const {
    return kind_ == OutputKind::StandardOutput ? "standard output" : name_;
}

void OutputFile::Commit(std::ostream& standardOutput) {
    if (committed_) throw HostError(role_ + " " + name_ + " committed twice");
    const std::string shown = role_ + " " + ShownName();
    if (kind_ == OutputKind::StandardOutput) {
        std::ifstream in(staging_, std::ios::binary);
        if (!in) throw HostError("cannot read back what was made for " + shown);
        // An empty file copies nothing, and operator<< would then flag a failure.
        if (in.peek() != std::ifstream::traits_type::eof()) standardOutput << in.rdbuf();
        standardOutput.flush();
        if (!standardOutput) throw HostError(StandardOutputFailure(standardOutput));
        committed_ = true;
        return;
    }
    // What the name leads to now: a file that turned into something else is not replaced.
    const NodeFacts now = InspectNode(target_);
    if (kind_ != OutputKind::Stream && now.type != NodeFacts::Type::Regular &&
        now.type != NodeFacts::Type::Missing)
        throw HostError(shown + " is no longer a regular file; left as it is");
    OutputKind kind = kind_;
    if (kind == OutputKind::Replace && existed_ && now.type == NodeFacts::Type::Regular &&
        !CopyOwnership(staging_, now) && now.writable && !force_)
        kind = OutputKind::InPlace; // another owner's file stays theirs
    if (kind == OutputKind::Replace) {
        std::error_code ec;
        fs::rename(staging_, target_, ec);
        if (ec) throw HostError("cannot write " + shown + ": " + ec.message());
    } else {
        CopyInto(staging_, target_, shown);
    }
    kind_ = kind;
    committed_ = true;
}

void WriteWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    const std::string& shownAs) {
    auto fail = [&](int error) {
        throw HostError("cannot write " + shownAs +
                        (error ? ": " + std::string(std::strerror(error)) : std::string()));
    };
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.string().c_str(), "wb"),
                                                         std::fclose);
    if (!file) fail(errno);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        fail(errno);
    if (std::fclose(file.release()) != 0) fail(errno);
}

} // namespace vhost
