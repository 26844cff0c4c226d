#include "chatter.h"

namespace vhost::validate {
namespace {

constexpr std::size_t kLineShown = 100;

bool blank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

void Chatter::add(bool toStderr, const char* data, std::size_t size) {
    (toStderr ? errBytes_ : outBytes_) += size;
    for (std::size_t i = 0; i < size && !firstLineDone_; ++i) {
        if (data[i] == '\n') {
            if (blank(firstLine_))
                firstLine_.clear();
            else
                firstLineDone_ = true;
        } else if (firstLine_.size() < kLineShown) {
            firstLine_ += data[i];
        }
    }
}

std::optional<TestRecord> Chatter::record(const std::string& group) const {
    if (outBytes_ == 0 && errBytes_ == 0) return std::nullopt;
    TestRecord r;
    r.group = group;
    r.name = group + ": the plug-in's own output";
    r.outcome = Outcome::Warn;
    r.note = "wrote " + std::to_string(outBytes_) + " bytes to standard output and " +
             std::to_string(errBytes_) + " to standard error";
    if (!blank(firstLine_)) r.note += ", first: '" + firstLine_ + "'";
    return r;
}

} // namespace vhost::validate
