// What a plug-in writes to standard output and standard error while a group runs: hosts log
// it, and some treat it as a fault, so it is reported as a warning.
#pragma once

#include "report.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vhost::validate {

class Chatter {
public:
    void Add(bool toStderr, const char* data, std::size_t size);
    std::size_t OutBytes() const noexcept { return outBytes_; }
    std::size_t ErrBytes() const noexcept { return errBytes_; }
    // The warning for a group whose process wrote anything, or nullopt.
    std::optional<TestRecord> Record(const std::string& group) const;

private:
    std::size_t outBytes_ = 0;
    std::size_t errBytes_ = 0;
    std::string firstLine_; // the first line that is not blank, as far as it has come
    bool firstLineDone_ = false;
    enum class Escape { None, Started, Sequence } escape_ = Escape::None; // terminal colours
};

} // namespace vhost::validate
