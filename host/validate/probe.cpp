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

const char* outcomeWord(Outcome outcome) {
    switch (outcome) {
    case Outcome::Pass:
        return "pass";
    case Outcome::Fail:
        return "fail";
    case Outcome::Skip:
        return "skip";
    }
    return "fail";
}

} // namespace

std::string beginLine(const std::string& name) {
    return "begin\t" + flat(name) + "\n";
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
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    sink_(endLine(outcome, took.count(), name, note));
}

} // namespace vhost::validate
