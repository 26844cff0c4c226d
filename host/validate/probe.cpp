#include "probe.h"

#include <chrono>
#include <sstream>

namespace vhost::validate {
namespace {

// Names and notes travel as one tab-separated line.
std::string Flat(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

// The warnings of one test as a note: the first few, and how many more there were.
std::string WarningNote(const std::vector<std::string>& warnings) {
    constexpr std::size_t kShown = 3;
    std::string note;
    for (std::size_t i = 0; i < warnings.size() && i < kShown; ++i)
        note += (i ? "; " : "") + warnings[i];
    if (warnings.size() > kShown)
        note += "; and " + std::to_string(warnings.size() - kShown) + " more";
    return note;
}

} // namespace

const char* OutcomeWord(Outcome outcome) noexcept {
    switch (outcome) {
    case Outcome::Pass:
        return "pass";
    case Outcome::Warn:
        return "warn";
    case Outcome::Fail:
        return "fail";
    case Outcome::Skip:
        return "skip";
    case Outcome::NotRun:
        return "not run";
    }
    return "fail";
}

std::string BeginLine(const std::string& name) {
    return "begin\t" + Flat(name) + "\n";
}

std::string StepLine(const std::string& what) {
    return "step\t" + Flat(what) + "\n";
}

std::string EndLine(Outcome outcome, double seconds, const std::string& name,
                    const std::string& note) {
    std::ostringstream s;
    s << "end\t" << OutcomeWord(outcome) << '\t' << seconds << '\t' << Flat(name) << '\t'
      << Flat(note) << '\n';
    return s.str();
}

void Probe::Test(const std::string& name, const std::function<std::string()>& body) {
    sink_(BeginLine(name));
    warnings_.clear();
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = Outcome::Pass;
    std::string note;
    try {
        note = body();
    } catch (const TestSkipped& e) {
        outcome = Outcome::Skip;
        note = e.what();
    } catch (const std::exception& e) {
        outcome = Outcome::Fail;
        note = e.what();
    } catch (...) {
        outcome = Outcome::Fail;
        note = "unknown exception";
    }
    if (outcome == Outcome::Pass && !warnings_.empty()) {
        outcome = Outcome::Warn;
        note = WarningNote(warnings_) + (note.empty() ? "" : " (" + note + ")");
    }
    warnings_.clear();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    sink_(EndLine(outcome, took.count(), name, note));
}

} // namespace vhost::validate
