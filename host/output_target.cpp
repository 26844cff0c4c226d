#include "host/output_target.h"

#include "host/command_errors.h"

namespace vhost {

OutputTarget resolveOutput(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    if (path == "-") return {path, OutputKind::StandardOutput};
    fs::path target = path;
    std::error_code ec;
    // Follow the links one by one, so that a dangling link still names the file to create.
    for (int hops = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
        if (hops == 40) throw HostError("too many symbolic links: " + path.string());
        fs::path next = fs::read_symlink(target, ec);
        if (ec) throw HostError("cannot read the link " + target.string() + ": " + ec.message());
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    fs::file_status status = fs::status(target, ec);
    if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular)
        return {target, OutputKind::File};
    if (status.type() == fs::file_type::directory)
        throw HostError(path.string() + " is a directory");
    if (ec) throw HostError("cannot examine " + path.string() + ": " + ec.message());
    return {target, OutputKind::Stream};
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a == "-" || b == "-") return false;
    std::error_code ec;
    bool same = std::filesystem::equivalent(a, b, ec);
    if (!ec) return same;
    // One of them does not exist yet: the same name however it is spelt.
    auto full = [](const std::filesystem::path& p) {
        std::error_code e;
        auto c = std::filesystem::weakly_canonical(p, e);
        return e ? std::filesystem::absolute(p, e).lexically_normal() : c;
    };
    return full(a) == full(b);
}

} // namespace vhost
