#include "host/render_summary.h"

#include "host/audio_file.h"
#include "host/json.h"
#include "host/text_match.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace vhost {
namespace {

std::string db(double value) {
    if (!std::isfinite(value)) return "-inf";
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << value;
    return s.str();
}

void levelsJson(JsonWriter& j, const char* key, const SignalStats& s) {
    j.beginObject(key);
    j.value("peakDb", s.peakDb());
    j.value("rmsDb", s.rmsDb());
    j.value("nonFinite", static_cast<long long>(s.nonFinite));
}

} // namespace

void printSummary(const RenderOutcome& outcome, std::ostream& out) {
    const RenderReport& r = outcome.report;
    out << std::fixed << std::setprecision(3);
    out << "rendered " << r.durationSeconds() << " s (" << r.outputFrames << " frames) at "
        << std::setprecision(0) << r.sampleRate << " Hz, " << counted(r.inputChannels, "channel")
        << " in, " << r.outputChannels << " out, block " << outcome.blockSize << ", "
        << processModeName(r.mode) << "\n";
    out << "input:  peak " << db(r.input.peakDb()) << " dBFS, RMS " << db(r.input.rmsDb())
        << " dBFS";
    if (r.input.nonFinite) out << ", " << counted(r.input.nonFinite, "non-finite sample");
    out << "\noutput: peak " << db(r.output.peakDb()) << " dBFS, RMS " << db(r.output.rmsDb())
        << " dBFS";
    if (r.output.nonFinite) out << ", " << counted(r.output.nonFinite, "non-finite sample");
    if (outcome.clipped) out << ", " << counted(outcome.clipped, "sample") << " clipped";
    out << '\n';
    out << std::setprecision(1) << "speed:  " << r.realTimeFactor() << "x real time ("
        << std::setprecision(3) << r.wallSeconds << " s)\n";
    out << std::defaultfloat;
}

void printSummaryJson(const RenderOutcome& outcome, const std::string& file, std::ostream& out) {
    const RenderReport& r = outcome.report;
    JsonWriter j(out);
    j.beginObject();
    j.value("file", file);
    j.value("format", describeFormat(outcome.format));
    j.value("sampleRate", r.sampleRate);
    j.value("frames", static_cast<long long>(r.outputFrames));
    j.value("seconds", r.durationSeconds());
    j.value("inputChannels", r.inputChannels);
    j.value("outputChannels", r.outputChannels);
    j.value("blockSize", outcome.blockSize);
    j.value("callback", processModeName(r.mode));
    levelsJson(j, "input", r.input);
    j.value("frames", static_cast<long long>(r.inputFrames));
    j.value("truncated", outcome.inputCutShort);
    j.endObject();
    levelsJson(j, "output", r.output);
    j.value("clipped", static_cast<long long>(outcome.clipped));
    j.value("nonFiniteReplaced", static_cast<long long>(outcome.nonFiniteReplaced));
    j.endObject();
    j.value("realTimeFactor", r.realTimeFactor());
    j.value("wallSeconds", r.wallSeconds);
    j.beginArray("warnings");
    for (const std::string& w : outcome.warnings)
        j.value(nullptr, w);
    j.endArray();
    j.beginArray("notes");
    for (const std::string& n : outcome.notes)
        j.value(nullptr, n);
    j.endArray();
    j.endObject();
}

} // namespace vhost
