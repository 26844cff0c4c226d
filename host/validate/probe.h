// Runs the named tests of a group and reports each as a line to a sink: the line "begin NAME"
// before a test starts, so that a crash or hang can be pinned on it, and the outcome after.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vhost::validate {

// Warn: passed, with something a host may stumble over; it does not fail the run.
// NotRun: a group left out because one it depends on could not run.
enum class Outcome { Pass, Warn, Fail, Skip, NotRun };

const char* OutcomeWord(Outcome outcome) noexcept;

struct TestFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct TestSkipped : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Ends the test with a failure when `ok` is false.
inline void Require(bool ok, const std::string& why) {
    if (!ok) throw TestFailure(why);
}
[[noreturn]] inline void SkipTest(const std::string& why) {
    throw TestSkipped(why);
}

// The wire format between a group's child process and the report.
std::string BeginLine(const std::string& name);
std::string StepLine(const std::string& what);
std::string EndLine(Outcome outcome, double seconds, const std::string& name,
                    const std::string& note);

class Probe {
public:
    using Sink = std::function<void(const std::string& line)>;
    Probe(std::string group, Sink sink) : group_(std::move(group)), sink_(std::move(sink)) {}

    // The body returns a note for a pass; it fails by throwing anything but TestSkipped.
    void Test(const std::string& name, const std::function<std::string()>& body);
    // Called inside a test's body: a test that passes with warnings ends as Outcome::Warn,
    // its note naming the first few.
    void Warn(const std::string& text) { warnings_.push_back(text); }
    // Called inside a test's body before a call into the plug-in that may crash or hang:
    // the report of a crash or hang names the last step announced.
    void Step(const std::string& what) { sink_(StepLine(what)); }
    const std::string& Group() const noexcept { return group_; }

private:
    std::string group_;
    Sink sink_;
    std::vector<std::string> warnings_;
};

} // namespace vhost::validate
