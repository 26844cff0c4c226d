#include "host/audio_diff.h"

#include "host/audio_file.h"
#include "host/json.h"
#include "host/signal_stats.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <vector>

namespace vhost {

AudioDiff DiffAudio(AudioSource& a, AudioSource& b, double tolerance) {
    AudioDiff d;
    d.channelsA = a.Channels();
    d.channelsB = b.Channels();
    d.sampleRateA = a.SampleRate();
    d.sampleRateB = b.SampleRate();
    const int common = std::min(d.channelsA, d.channelsB);
    constexpr std::int64_t kBlock = 8192;
    std::vector<double> bufA(static_cast<std::size_t>(kBlock * d.channelsA));
    std::vector<double> bufB(static_cast<std::size_t>(kBlock * d.channelsB));
    double sumSquares = 0.0;
    std::int64_t counted = 0;
    std::int64_t frame = 0;
    for (;;) {
        const std::int64_t gotA = a.Read(bufA.data(), kBlock);
        const std::int64_t gotB = b.Read(bufB.data(), kBlock);
        d.framesA += gotA;
        d.framesB += gotB;
        const std::int64_t n = std::min(gotA, gotB);
        for (std::int64_t f = 0; f < n; ++f) {
            for (int c = 0; c < common; ++c) {
                const double x = bufA[static_cast<std::size_t>(f * d.channelsA + c)];
                const double y = bufB[static_cast<std::size_t>(f * d.channelsB + c)];
                double diff = std::fabs(x - y);
                if (!std::isfinite(diff)) {
                    // inf - inf and NaN - NaN are NaN, but the samples are the same.
                    if (x == y || (std::isnan(x) && std::isnan(y))) {
                        ++d.nonFiniteMatches;
                        continue;
                    }
                    ++d.nonFiniteMismatches;
                    if (d.firstDifferent < 0) d.firstDifferent = frame + f;
                    continue;
                }
                sumSquares += diff * diff;
                if (diff > d.maxDifference) {
                    d.maxDifference = diff;
                    d.maxFrame = frame + f;
                    d.maxChannel = c;
                }
                if (diff > tolerance && d.firstDifferent < 0) d.firstDifferent = frame + f;
            }
        }
        counted += n * common;
        frame += n;
        if (gotA < kBlock || gotB < kBlock) {
            // Count what is left of the longer one.
            for (std::int64_t g = gotA; g == kBlock;)
                d.framesA += g = a.Read(bufA.data(), kBlock);
            for (std::int64_t g = gotB; g == kBlock;)
                d.framesB += g = b.Read(bufB.data(), kBlock);
            break;
        }
    }
    d.rmsDifference = counted ? std::sqrt(sumSquares / static_cast<double>(counted)) : 0.0;
    if (d.firstDifferent < 0 && d.framesA != d.framesB) d.firstDifferent = frame;
    return d;
}

AudioDiff DiffAudioFiles(const std::filesystem::path& a, const std::filesystem::path& b,
                         double tolerance) {
    AudioFileReader ra(a), rb(b);
    return DiffAudio(ra, rb, tolerance);
}

namespace {

std::string Db(double level) {
    if (level <= 0.0) return "-inf dB";
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << SignalStats::ToDb(level) << " dB";
    return s.str();
}

} // namespace

void PrintDiff(const AudioDiff& d, double tolerance, std::ostream& out) {
    out << "frames:    " << d.framesA;
    if (d.framesB != d.framesA) out << " and " << d.framesB << " (differ)";
    out << "\nchannels:  " << d.channelsA;
    if (d.channelsB != d.channelsA) out << " and " << d.channelsB << " (differ)";
    out << '\n';
    if (d.sampleRateA != d.sampleRateB)
        out << "rates:     " << d.sampleRateA << " and " << d.sampleRateB << " Hz (differ)\n";
    out << "max diff:  " << std::setprecision(6) << d.maxDifference << " (" << Db(d.maxDifference)
        << ")";
    if (d.maxFrame >= 0) out << " at frame " << d.maxFrame << ", channel " << d.maxChannel + 1;
    out << "\nRMS diff:  " << Db(d.rmsDifference) << '\n';
    if (d.nonFiniteMatches || d.nonFiniteMismatches)
        out << "non-finite: " << d.nonFiniteMatches << " the same in both, "
            << d.nonFiniteMismatches << " different (NaN or infinite samples)\n";
    out << "first frame beyond tolerance " << tolerance << ": ";
    if (d.firstDifferent >= 0)
        out << d.firstDifferent << '\n';
    else
        out << "none\n";
    out << (d.Within(tolerance) ? "same within the tolerance\n" : "different\n");
    out << std::defaultfloat;
}

void PrintDiffJson(const AudioDiff& d, double tolerance, std::ostream& out) {
    JsonWriter j(out);
    j.BeginObject();
    j.Value("same", d.Within(tolerance));
    j.Value("tolerance", tolerance);
    j.BeginArray("frames");
    j.Value(nullptr, static_cast<long long>(d.framesA));
    j.Value(nullptr, static_cast<long long>(d.framesB));
    j.EndArray();
    j.BeginArray("channels");
    j.Value(nullptr, d.channelsA);
    j.Value(nullptr, d.channelsB);
    j.EndArray();
    j.BeginArray("sampleRates");
    j.Value(nullptr, d.sampleRateA);
    j.Value(nullptr, d.sampleRateB);
    j.EndArray();
    j.Value("maxDifference", d.maxDifference);
    j.Value("maxDifferenceDb", SignalStats::ToDb(d.maxDifference));
    if (d.maxFrame >= 0) {
        j.Value("maxFrame", static_cast<long long>(d.maxFrame));
        j.Value("maxChannel", d.maxChannel + 1);
    }
    j.Value("rmsDifferenceDb", SignalStats::ToDb(d.rmsDifference));
    j.Value("nonFiniteMatches", static_cast<long long>(d.nonFiniteMatches));
    j.Value("nonFiniteMismatches", static_cast<long long>(d.nonFiniteMismatches));
    if (d.firstDifferent >= 0)
        j.Value("firstDifferentFrame", static_cast<long long>(d.firstDifferent));
    else
        j.Null("firstDifferentFrame");
    j.EndObject();
}

} // namespace vhost
