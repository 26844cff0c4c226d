#include "host/render_summary.h"

#include "host/audio_file.h"
#include "host/json.h"
#include "host/text_match.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace vhost {
namespace {

std::string Db(double value) {
    if (!std::isfinite(value)) return "-inf";
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << value;
    return s.str();
}

void LevelsJson(JsonWriter& j, const char* key, const SignalStats& s) {
    j.BeginObject(key);
    j.Value("peakDb", s.PeakDb());
    j.Value("rmsDb", s.RmsDb());
    j.Value("nonFinite", static_cast<long long>(s.nonFinite));
}

} // namespace

void PrintSummary(const RenderOutcome& outcome, std::ostream& out) {
    const RenderReport& r = outcome.report;
    out << std::fixed << std::setprecision(3);
    out << "rendered " << r.DurationSeconds() << " s (" << r.outputFrames << " frames) at "
        << std::setprecision(0) << r.sampleRate << " Hz, " << Counted(r.inputChannels, "channel")
        << " in, " << r.outputChannels << " out, block " << outcome.blockSize << ", "
        << ProcessModeName(r.mode) << "\n";
    out << "input:  peak " << Db(r.input.PeakDb()) << " dBFS, RMS " << Db(r.input.RmsDb())
        << " dBFS";
    if (r.input.nonFinite) out << ", " << Counted(r.input.nonFinite, "non-finite sample");
    out << "\noutput: peak " << Db(r.output.PeakDb()) << " dBFS, RMS " << Db(r.output.RmsDb())
        << " dBFS";
    if (r.output.nonFinite) out << ", " << Counted(r.output.nonFinite, "non-finite sample");
    if (outcome.clipped) out << ", " << Counted(outcome.clipped, "sample") << " clipped";
    out << '\n';
    out << std::setprecision(1) << "speed:  " << r.RealTimeFactor() << "x real time ("
        << std::setprecision(3) << r.wallSeconds << " s)\n";
    out << std::defaultfloat;
}

void PrintSummaryJson(const RenderOutcome& outcome, const std::string& file, std::ostream& out) {
    const RenderReport& r = outcome.report;
    JsonWriter j(out);
    j.BeginObject();
    j.Value("file", file);
    j.Value("format", DescribeFormat(outcome.format));
    j.Value("sampleRate", r.sampleRate);
    j.Value("frames", static_cast<long long>(r.outputFrames));
    j.Value("seconds", r.DurationSeconds());
    j.Value("inputChannels", r.inputChannels);
    j.Value("outputChannels", r.outputChannels);
    j.Value("blockSize", outcome.blockSize);
    j.Value("callback", ProcessModeName(r.mode));
    LevelsJson(j, "input", r.input);
    j.Value("frames", static_cast<long long>(r.inputFrames));
    j.Value("truncated", outcome.inputCutShort);
    j.EndObject();
    LevelsJson(j, "output", r.output);
    j.Value("clipped", static_cast<long long>(outcome.clipped));
    j.Value("nonFiniteReplaced", static_cast<long long>(outcome.nonFiniteReplaced));
    j.EndObject();
    j.Value("realTimeFactor", r.RealTimeFactor());
    j.Value("wallSeconds", r.wallSeconds);
    j.BeginArray("warnings");
    for (const std::string& w : outcome.warnings)
        j.Value(nullptr, w);
    j.EndArray();
    j.BeginArray("notes");
    for (const std::string& n : outcome.notes)
        j.Value(nullptr, n);
    j.EndArray();
    j.EndObject();
}

} // namespace vhost
