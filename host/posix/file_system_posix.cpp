#include "host/file_system.h"

#include "vsthost/host_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vhost {
namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// Closes a descriptor on every way out.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Release() {
        const int d = fd;
        fd = -1;
        return d;
    }
};

void WriteAll(int fd, const char* data, std::size_t size, const std::string& shownAs) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw HostError("cannot write " + shownAs + ": " + Reason(n < 0 ? errno : EIO));
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

// Copies one descriptor into another to its end; returns false with errno set when reading
// fails, throws when writing does.
bool Pump(int from, int to, const std::string& shownAs) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        WriteAll(to, buffer.data(), static_cast<std::size_t>(n), shownAs);
    }
}

} // namespace

NodeFacts InspectNode(const std::filesystem::path& path) {
    NodeFacts facts;
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0) {
        if (errno == ENOENT) return facts;
        throw HostError("cannot examine " + path.string() + ": " + Reason(errno));
    }
    facts.type = S_ISREG(s.st_mode)   ? NodeFacts::Type::Regular
                 : S_ISDIR(s.st_mode) ? NodeFacts::Type::Directory
                                      : NodeFacts::Type::Other;
    facts.device = s.st_dev;
    facts.inode = s.st_ino;
    facts.mode = s.st_mode & 07777;
    facts.owner = s.st_uid;
    facts.group = s.st_gid;
    facts.links = s.st_nlink;
    facts.writable =
        (s.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    return facts;
}

bool MayCreateIn(const std::filesystem::path& directory) {
    return ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool CreateExclusive(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) return false;
        throw HostError("cannot create a file beside " + path.parent_path().string() + ": " +
                        Reason(errno));
    }
    if (::close(fd) != 0) throw HostError("cannot create " + path.string() + ": " + Reason(errno));
    return true;
}

bool CopyOwnership(const std::filesystem::path& file, const NodeFacts& like) {
    struct stat s {};
    if (::stat(file.c_str(), &s) != 0) return false;
    // The owner first: changing it may clear the set-id bits the mode then restores.
    if ((s.st_uid != like.owner || s.st_gid != like.group) &&
        ::chown(file.c_str(), like.owner, like.group) != 0)
        return false;
    return ::chmod(file.c_str(), like.mode) == 0;
}

void CopyInto(const std::filesystem::path& from, const std::filesystem::path& to,
              const std::string& shownAs) {
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        throw HostError("cannot read back what was made for " + shownAs + ": " + Reason(errno));
    // O_TRUNC cuts a regular file and means nothing to a device or a pipe.
    Descriptor out(::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
    if (out.fd < 0) throw HostError("cannot open " + shownAs + ": " + Reason(errno));
    if (!Pump(in.fd, out.fd, shownAs))
        throw HostError("cannot read back what was made for " + shownAs + ": " + Reason(errno));
    if (::close(out.Release()) != 0)
        throw HostError("cannot write " + shownAs + ": " + Reason(errno));
}

int OpenSeekableForReading(const std::string& path, std::string& failure) {
    Descriptor in(path == "-" ? ::dup(STDIN_FILENO) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) {
        failure = Reason(errno);
        return -1;
    }
    if (::lseek(in.fd, 0, SEEK_CUR) >= 0) return in.Release();
    // A pipe: libsndfile seeks in most containers, so the stream is read to its end first.
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    std::string name = (dir / "velmorande-host-input-XXXXXX").string();
    Descriptor spool(ec ? -1 : ::mkostemp(name.data(), O_CLOEXEC));
    if (spool.fd < 0) {
        failure = "cannot make a temporary copy in " + dir.string() + ": " + Reason(errno);
        return -1;
    }
    ::unlink(name.c_str());
    try {
        if (!Pump(in.fd, spool.fd, "a temporary copy of it")) {
            failure = Reason(errno);
            return -1;
        }
    } catch (const HostError& e) {
        failure = e.what();
        return -1;
    }
    if (::lseek(spool.fd, 0, SEEK_SET) != 0) {
        failure = "cannot read back its temporary copy: " + Reason(errno);
        return -1;
    }
    return spool.Release();
}

} // namespace vhost
