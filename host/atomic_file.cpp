#include "host/atomic_file.h"

#include "host/command_errors.h"

#include <atomic>
#include <chrono>
#include <random>
#include <system_error>

namespace vhost {
namespace {

std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::mt19937_64 mix(seed ^ static_cast<std::uint64_t>(now) ^ (counter.fetch_add(1) * 0x9E37u));
    return std::to_string(mix() % 100000000);
}

} // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& target) : target_(target) {
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        throw HostError("the directory of " + target.string() + " does not exist");
    if (target.filename().empty()) throw HostError("not a file name: " + target.string());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(".");
        name += target.filename().string();
        name += ".tmp";
        name += uniqueSuffix();
        auto candidate = dir / name;
        if (!std::filesystem::exists(candidate, ec)) {
            temp_ = candidate;
            return;
        }
    }
    throw HostError("cannot find a free temporary name beside " + target.string());
}

TemporaryFile::~TemporaryFile() {
    if (!committed_) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
}

void TemporaryFile::commit() {
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    if (ec) throw HostError("cannot write " + target_.string() + ": " + ec.message());
    committed_ = true;
}

} // namespace vhost
