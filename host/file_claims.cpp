#include "host/file_claims.h"

#include "host/command_errors.h"

namespace vhost {

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a == "-" || b == "-") return false;
    std::error_code ec;
    const bool same = std::filesystem::equivalent(a, b, ec);
    if (!ec) return same;
    // One of them does not exist yet: the same name however it is spelt.
    auto full = [](const std::filesystem::path& p) {
        std::error_code e;
        auto c = std::filesystem::weakly_canonical(p, e);
        return e ? std::filesystem::absolute(p, e).lexically_normal() : c;
    };
    return full(a) == full(b);
}

void CheckDistinctFiles(const std::vector<FileClaim>& claims) {
    for (std::size_t i = 0; i < claims.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const FileClaim& a = claims[i];
            const FileClaim& b = claims[j];
            if (!a.written && !b.written) continue;
            const bool bothStdout = a.written && b.written && a.path == "-" && b.path == "-";
            if (!bothStdout && !SameFile(a.path, b.path)) continue;
            throw UsageError(a.role + " " + a.path + " and " + b.role + " " + b.path +
                             (bothStdout ? " both write standard output" : " are the same file") +
                             ": nothing was written");
        }
    }
}

} // namespace vhost
