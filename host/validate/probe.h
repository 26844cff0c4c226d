// Runs the named tests of a group and reports each as a line to a sink: the line "begin NAME"
// before a test starts, so that a crash or hang can be pinned on it, and the outcome after.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace vhost::validate {

enum class Outcome { Pass, Fail, Skip };

struct TestFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct TestSkipped : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Ends the test with a failure when `ok` is false.
inline void require(bool ok, const std::string& why) {
    if (!ok) throw TestFailure(why);
}
[[noreturn]] inline void skipTest(const std::string& why) {
    throw TestSkipped(why);
}

class Probe {
public:
    using Sink = std::function<void(const std::string& line)>;
    Probe(std::string group, Sink sink) : group_(std::move(group)), sink_(std::move(sink)) {}

    // The body returns a note for a pass; it fails by throwing anything but TestSkipped.
    void test(const std::string& name, const std::function<std::string()>& body);
    const std::string& group() const noexcept { return group_; }

private:
    std::string group_;
    Sink sink_;
};

// The wire format between a group's child process and the report.
std::string beginLine(const std::string& name);
std::string endLine(Outcome outcome, double seconds, const std::string& name,
                    const std::string& note);

} // namespace vhost::validate
