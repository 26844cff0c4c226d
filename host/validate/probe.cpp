#include "probe.h"

#include <chrono>
#include <sstream>

namespace vhost::validate {
namespace {

// Names and notes travel as one tab-separated line.
std::string flat(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

// The warnings of one test as a note: the first few, and how many more there were.
std::string warningNote(const std::vector<std::string>& warnings) {
    constexpr std::size_t kShown = 3;
    std::string note;
    for (std::size_t i = 0; i < warnings.size() && i < kShown; ++i)
        note += (i ? "; " : "") + warnings[i];
    if (warnings.size() > kShown)
        note += "; and " + std::to_string(warnings.size() - kShown) + " more";
    return note;
}

} // namespace

const char* outcomeWord(Outcome outcome) noexcept {
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

std::string beginLine(const std::string& name) {
    return "begin\t" + flat(name) + "\n";
}

std::string stepLine(const std::string& what) {
    return "step\t" + flat(what) + "\n";
}

std::string endLine(Outcome outcome, double seconds, const std::string& name,
                    const std::string& note) {
    std::ostringstream s;
    s << "end\t" << outcomeWord(outcome) << '\t' << seconds << '\t' << flat(name) << '\t'
      << flat(note) << '\n';
    return s.str();
}

void Probe::test(const std::string& name, const std::function<std::string()>& body) {
    sink_(beginLine(name));
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
        note = warningNote(warnings_) + (note.empty() ? "" : " (" + note + ")");
    }
    warnings_.clear();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    sink_(endLine(outcome, took.count(), name, note));
}

} // namespace vhost::validate
