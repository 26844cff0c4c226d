#include "chatter.h"

namespace vhost::validate {
namespace {

constexpr std::size_t kLineShown = 100;

bool Blank(const std::string& line) {
    return line.find_first_not_of(' ') == std::string::npos;
}

} // namespace

void Chatter::Add(bool toStderr, const char* data, std::size_t size) {
    (toStderr ? errBytes_ : outBytes_) += size;
    // The line is shown in the report: terminal escape sequences and control characters
    // are left out.
    for (std::size_t i = 0; i < size && !firstLineDone_; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (escape_ == Escape::Started) {
            escape_ = c == '[' ? Escape::Sequence : Escape::None;
        } else if (escape_ == Escape::Sequence) {
            if (c >= 0x40 && c <= 0x7E) escape_ = Escape::None;
        } else if (c == 0x1B) {
            escape_ = Escape::Started;
        } else if (c == '\n') {
            if (Blank(firstLine_))
                firstLine_.clear();
            else
                firstLineDone_ = true;
        } else if (c >= 0x20 && c != 0x7F && firstLine_.size() < kLineShown) {
            firstLine_ += static_cast<char>(c);
        }
    }
}

std::optional<TestRecord> Chatter::Record(const std::string& group) const {
    if (outBytes_ == 0 && errBytes_ == 0) return std::nullopt;
    TestRecord r;
    r.group = group;
    r.name = group + ": the plug-in's own output";
    r.outcome = Outcome::Warn;
    r.note = "wrote " + std::to_string(outBytes_) + " bytes to standard output and " +
             std::to_string(errBytes_) + " to standard error";
    if (!Blank(firstLine_)) r.note += ", first: '" + firstLine_ + "'";
    return r;
}

} // namespace vhost::validate
