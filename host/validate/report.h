// The outcome of every test of a run: collected from the groups' lines, printed as text as
// they come in or as one JSON document at the end.
#pragma once

#include "probe.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vhost::validate {

struct TestRecord {
    std::string group;
    std::string name;
    Outcome outcome = Outcome::Fail;
    double seconds = 0.0;
    std::string note;
};

// Reads one group's lines; a test begun and never ended is the one the group died in.
class GroupLog {
public:
    explicit GroupLog(std::string group) : group_(std::move(group)) {}
    // Returns the record a line completes, if any.
    std::optional<TestRecord> Feed(const std::string& line);
    // The group ended abnormally (signal, timeout, exit code): the open test, or the group
    // itself when none was open, fails with this reason and the test's last step.
    TestRecord Abandon(const std::string& reason, double secondsSinceBegin) const;
    bool TestOpen() const noexcept { return open_.has_value(); }

private:
    std::string group_;
    std::optional<std::string> open_;
    std::optional<std::string> lastStep_; // of the open test
};

void PrintRecord(const TestRecord& record, std::ostream& out);
void PrintSummary(const std::vector<TestRecord>& records, double seconds, std::ostream& out);
void PrintJson(const std::string& plugin, int level, const std::vector<TestRecord>& records,
               double seconds, std::ostream& out);
bool AllPassed(const std::vector<TestRecord>& records);

} // namespace vhost::validate
