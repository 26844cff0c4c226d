#include "host/standard_output.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <streambuf>
#include <vector>

namespace vhost {
namespace {

// A buffered stream over a descriptor that remembers the first failure.
class DescriptorBuffer final : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : fd_(fd), buffer_(1 << 16) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    int Error() const noexcept { return error_; }
    // The failure has been told to the user: finish() need not tell it again.
    void MarkReported() const noexcept { reported_ = true; }
    bool Reported() const noexcept { return reported_; }

    // Flushes and closes; false when anything failed.
    bool Close() {
        const bool flushed = sync() == 0;
        if (fd_ >= 0 && ::close(fd_) != 0 && error_ == 0) error_ = errno;
        fd_ = -1;
        return flushed && error_ == 0;
    }

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override {
        const char* p = pbase();
        std::size_t left = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        if (error_ != 0) return -1;
        while (left > 0) {
            const ssize_t n = fd_ >= 0 ? ::write(fd_, p, left) : -1;
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = fd_ < 0 ? EBADF : (n < 0 ? errno : EIO);
                return -1;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        return 0;
    }

private:
    int fd_;
    std::vector<char> buffer_;
    int error_ = 0;
    mutable bool reported_ = false;
};

std::string FailureText(int error) {
    return "cannot write standard output: " + std::string(std::strerror(error));
}

} // namespace

struct StandardOutput::State {
    DescriptorBuffer buffer;
    std::ostream stream;
    explicit State(int fd) : buffer(fd), stream(&buffer) {}
};

StandardOutput::StandardOutput() {
    ::signal(SIGPIPE, SIG_IGN);
    // Kept away from the low numbers, and from processes the plug-ins start.
    const int saved = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    state_ = std::make_unique<State>(saved);
}

StandardOutput::~StandardOutput() {
    if (state_) state_->buffer.Close();
}

std::ostream& StandardOutput::Stream() noexcept {
    return state_->stream;
}

std::string StandardOutput::Finish() {
    if (state_->buffer.Close() && state_->stream.good()) return {};
    if (state_->buffer.Reported()) return {};
    return FailureText(state_->buffer.Error() ? state_->buffer.Error() : EIO);
}

std::string StandardOutputFailure(const std::ostream& stream) {
    if (const auto* buffer = dynamic_cast<const DescriptorBuffer*>(stream.rdbuf())) {
        buffer->MarkReported();
        if (buffer->Error() != 0) return FailureText(buffer->Error());
    }
    return "cannot write standard output";
}

} // namespace vhost
