// Compares two audio files sample by sample.
#pragma once

#include "host/audio_stream.h"

#include <cstdint>
#include <filesystem>
#include <ostream>

namespace vhost {

struct AudioDiff {
    std::int64_t framesA = 0, framesB = 0;
    int channelsA = 0, channelsB = 0;
    double sampleRateA = 0.0, sampleRateB = 0.0;
    double maxDifference = 0.0; // largest |a - b| over the common frames and channels
    std::int64_t maxFrame = -1; // where it is (-1: no difference)
    int maxChannel = -1;
    double rmsDifference = 0.0;       // over the common frames and channels
    std::int64_t firstDifferent = -1; // first frame differing by more than the tolerance
    // Samples that are NaN or infinite in either file, over the common frames and channels:
    // the same in both (NaN and NaN, or one infinity) count as equal, the others as beyond
    // any tolerance.
    std::int64_t nonFiniteMatches = 0;
    std::int64_t nonFiniteMismatches = 0;

    bool SameShape() const {
        return framesA == framesB && channelsA == channelsB && sampleRateA == sampleRateB;
    }
    // Equal within the tolerance: same frames, channels and rate, and no larger difference.
    bool Within(double tolerance) const {
        return SameShape() && nonFiniteMismatches == 0 && maxDifference <= tolerance;
    }
};

// Compares two sources read to their end.
AudioDiff DiffAudio(AudioSource& a, AudioSource& b, double tolerance);
AudioDiff DiffAudioFiles(const std::filesystem::path& a, const std::filesystem::path& b,
                         double tolerance);

void PrintDiff(const AudioDiff& d, double tolerance, std::ostream& out);
void PrintDiffJson(const AudioDiff& d, double tolerance, std::ostream& out);

} // namespace vhost
