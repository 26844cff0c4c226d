#include "host/plugin_process.h"

#include <cstdint>
#include <cstring>
#include <streambuf>

namespace vhost {
namespace {

// A record: its kind, the length of its text (4 bytes, this machine's order) and the text.
enum Record : char {
    kOut = 'o',
    kErr = 'e',
    kLateErr = 'l',
    kPhase = 'p',
    kProduced = 'w',
    kExit = 'x',
};

std::string Framed(Record kind, const std::string& text) {
    const auto length = static_cast<std::uint32_t>(text.size());
    std::string bytes(1, static_cast<char>(kind));
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    return bytes + text;
}

// Collects text and sends it as one record when flushed.
class RecordBuffer final : public std::streambuf {
public:
    RecordBuffer(Record kind, const std::function<void(const std::string&)>& send)
        : kind_(kind), send_(send) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) text_ += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        text_.append(s, static_cast<std::size_t>(n));
        return n;
    }
    int sync() override {
        if (!text_.empty()) send_(Framed(kind_, text_));
        text_.clear();
        return 0;
    }

private:
    Record kind_;
    const std::function<void(const std::string&)>& send_;
    std::string text_;
};

} // namespace

struct JobReport::Channels {
    std::function<void(const std::string&)> send;
    RecordBuffer outBuffer{kOut, send}, errBuffer{kErr, send}, lateBuffer{kLateErr, send};
    std::ostream out{&outBuffer}, err{&errBuffer}, late{&lateBuffer};
};

JobReport::JobReport(std::function<void(const std::string&)> send)
    : channels_(std::make_unique<Channels>()) {
    channels_->send = std::move(send);
    channels_->err << std::unitbuf;
}

JobReport::~JobReport() = default;

std::ostream& JobReport::Out() {
    return channels_->out;
}
std::ostream& JobReport::Err() {
    return channels_->err;
}
std::ostream& JobReport::LateErr() {
    return channels_->late;
}

void JobReport::Phase(const std::string& what) {
    channels_->err.flush();
    channels_->send(Framed(kPhase, what));
}

void JobReport::Produced(std::size_t index) {
    channels_->send(Framed(kProduced, std::to_string(index)));
}

void JobReport::Finish(int exitCode) {
    channels_->out.flush();
    channels_->err.flush();
    channels_->late.flush();
    channels_->send(Framed(kExit, std::to_string(exitCode)));
}

void JobReader::Feed(const char* data, std::size_t size) {
    pending_.append(data, size);
    constexpr std::size_t kHeader = 1 + sizeof(std::uint32_t);
    while (pending_.size() >= kHeader) {
        std::uint32_t length = 0;
        std::memcpy(&length, pending_.data() + 1, sizeof length);
        if (pending_.size() < kHeader + length) return;
        const std::string text = pending_.substr(kHeader, length);
        switch (static_cast<Record>(pending_[0])) {
        case kOut:
            result_.out += text;
            break;
        case kErr:
            err_ << text << std::flush;
            break;
        case kLateErr:
            result_.lateErr += text;
            break;
        case kPhase:
            result_.phase = text;
            break;
        case kProduced:
            result_.produced.push_back(std::stoul(text));
            break;
        case kExit:
            result_.finished = true;
            result_.exitCode = std::stoi(text);
            break;
        }
        pending_.erase(0, kHeader + length);
    }
}

} // namespace vhost
