#include "report.h"
#include "host/json.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace vhost::validate {
namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream s(line);
    while (std::getline(s, field, '\t'))
        out.push_back(field);
    if (!line.empty() && line.back() == '\t') out.emplace_back();
    return out;
}

// Failures and groups left out stand out in the text report.
const char* Word(Outcome o) {
    return o == Outcome::Fail ? "FAIL" : o == Outcome::NotRun ? "NOT RUN" : OutcomeWord(o);
}

Outcome FromWord(const std::string& text) {
    for (Outcome o : {Outcome::Pass, Outcome::Warn, Outcome::Skip, Outcome::NotRun})
        if (text == OutcomeWord(o)) return o;
    return Outcome::Fail;
}

} // namespace

std::optional<TestRecord> GroupLog::Feed(const std::string& line) {
    std::vector<std::string> f =
        Fields(!line.empty() && line.back() == '\n' ? line.substr(0, line.size() - 1) : line);
    if (f.size() == 2 && f[0] == "begin") {
        open_ = f[1];
        lastStep_.reset();
        return std::nullopt;
    }
    if (f.size() == 2 && f[0] == "step") {
        lastStep_ = f[1];
        return std::nullopt;
    }
    if (f.size() == 5 && f[0] == "end") {
        TestRecord r;
        r.group = group_;
        r.outcome = FromWord(f[1]);
        r.seconds = std::strtod(f[2].c_str(), nullptr);
        r.name = f[3];
        r.note = f[4];
        open_.reset();
        return r;
    }
    return std::nullopt;
}

TestRecord GroupLog::Abandon(const std::string& reason, double secondsSinceBegin) const {
    TestRecord r;
    r.group = group_;
    r.name = open_ ? *open_ : group_ + ": group";
    r.outcome = Outcome::Fail;
    r.seconds = secondsSinceBegin;
    r.note = reason + (open_ && lastStep_ ? ", in " + *lastStep_ : "");
    return r;
}

void PrintRecord(const TestRecord& r, std::ostream& out) {
    std::ostringstream time;
    time << std::fixed << std::setprecision(r.seconds < 10 ? 3 : 1) << r.seconds << " s";
    out << std::left << std::setw(5) << Word(r.outcome) << ' ' << r.name << "  [" << time.str()
        << "]";
    if (!r.note.empty()) out << "  " << r.note;
    out << '\n' << std::flush;
}

bool AllPassed(const std::vector<TestRecord>& records) {
    for (const TestRecord& r : records)
        if (r.outcome == Outcome::Fail) return false;
    return !records.empty();
}

void PrintSummary(const std::vector<TestRecord>& records, double seconds, std::ostream& out) {
    int count[5] = {};
    for (const TestRecord& r : records)
        ++count[static_cast<int>(r.outcome)];
    auto of = [&](Outcome o) { return count[static_cast<int>(o)]; };
    out << of(Outcome::Pass) << " passed, ";
    if (of(Outcome::Warn)) out << of(Outcome::Warn) << " with warnings, ";
    out << of(Outcome::Fail) << " failed, " << of(Outcome::Skip) << " skipped";
    if (of(Outcome::NotRun)) out << ", " << of(Outcome::NotRun) << " groups not run";
    out << " in " << std::fixed << std::setprecision(1) << seconds << " s\n";
}

void PrintJson(const std::string& plugin, int level, const std::vector<TestRecord>& records,
               double seconds, std::ostream& out) {
    out << "{\n  \"plugin\": " << JsonQuoted(plugin) << ",\n  \"level\": " << level
        << ",\n  \"passed\": " << (AllPassed(records) ? "true" : "false")
        << ",\n  \"seconds\": " << seconds << ",\n  \"tests\": [";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TestRecord& r = records[i];
        out << (i ? "," : "") << "\n    {\"group\": " << JsonQuoted(r.group)
            << ", \"name\": " << JsonQuoted(r.name) << ", \"result\": \"" << OutcomeWord(r.outcome)
            << "\", \"seconds\": " << r.seconds << ", \"note\": " << JsonQuoted(r.note) << "}";
    }
    out << "\n  ]\n}\n";
}

} // namespace vhost::validate
