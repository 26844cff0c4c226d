#include "host/audio_diff.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace vhost {
namespace {

TEST(AudioDiff, FindsTheLargestAndFirstDifference) {
    struct Case {
        std::vector<double> a, b;
        int channelsA, channelsB;
        double tolerance;
        double maxDifference;
        std::int64_t maxFrame, firstDifferent;
        bool same;
    };
    const double nan = std::nan("");
    for (const Case& c : std::vector<Case>{
             {{0.1, 0.2, 0.3, 0.4}, {0.1, 0.2, 0.3, 0.4}, 2, 2, 0.0, 0.0, -1, -1, true},
             {{0.1, 0.2, 0.3, 0.4}, {0.1, 0.25, 0.3, 0.2}, 2, 2, 0.0, 0.2, 1, 0, false},
             {{0.1, 0.2, 0.3, 0.4}, {0.1, 0.25, 0.3, 0.2}, 2, 2, 0.1, 0.2, 1, 1, false},
             {{0.1, 0.2, 0.3, 0.4}, {0.1, 0.25, 0.3, 0.41}, 2, 2, 0.1, 0.05, 0, -1, true},
             // Lengths differ: the first missing frame differs.
             {{0.1, 0.2, 0.3}, {0.1, 0.2}, 1, 1, 0.0, 0.0, -1, 2, false},
             {{0.1, 0.2}, {0.1, 0.2}, 2, 1, 0.0, 0.0, -1, 1, false},
             // NaN against a number is a difference however large the tolerance.
             {{0.1, nan}, {0.1, 0.2}, 1, 1, 1.0, 0.0, -1, 1, false},
         }) {
        MemorySource a(c.a, c.channelsA, 44100.0), b(c.b, c.channelsB, 44100.0);
        AudioDiff d = DiffAudio(a, b, c.tolerance);
        EXPECT_NEAR(d.maxDifference, c.maxDifference, 1e-12);
        EXPECT_EQ(d.maxFrame, c.maxFrame);
        EXPECT_EQ(d.firstDifferent, c.firstDifferent);
        EXPECT_EQ(d.Within(c.tolerance), c.same);
    }
}

TEST(AudioDiff, NonFiniteSamplesAreEqualOnlyToTheSameAtTheSamePlace) {
    const double nan = std::nan(""), inf = HUGE_VAL;
    struct Case {
        double a, b;
        std::int64_t matches, mismatches;
    };
    for (const Case& c : std::vector<Case>{
             {nan, nan, 1, 0}, // NaN - NaN is NaN, yet the files agree
             {inf, inf, 1, 0}, // inf - inf is NaN, yet the files agree
             {-inf, -inf, 1, 0},
             {inf, -inf, 0, 1},
             {nan, inf, 0, 1},
             {inf, 0.5, 0, 1},
         }) {
        MemorySource a({0.1, c.a, 0.3}, 1, 44100.0), b({0.1, c.b, 0.3}, 1, 44100.0);
        const AudioDiff d = DiffAudio(a, b, 0.0);
        EXPECT_EQ(d.nonFiniteMatches, c.matches) << c.a << " " << c.b;
        EXPECT_EQ(d.nonFiniteMismatches, c.mismatches) << c.a << " " << c.b;
        EXPECT_EQ(d.Within(0.0), c.mismatches == 0) << c.a << " " << c.b;
        EXPECT_EQ(d.firstDifferent, c.mismatches ? 1 : -1);
        std::ostringstream text;
        PrintDiff(d, 0.0, text);
        EXPECT_NE(text.str().find("non-finite: " + std::to_string(c.matches) +
                                  " the same in both, " + std::to_string(c.mismatches) +
                                  " different"),
                  std::string::npos)
            << text.str();
    }
}

TEST(AudioDiff, CountsFramesBeyondOneBlockAndMeasuresRms) {
    std::vector<double> a(20000, 0.5), b(20000, 0.5);
    for (std::size_t i = 0; i < b.size(); i += 2)
        b[i] += 0.001;
    a.resize(19999);
    MemorySource sa(a, 1, 48000.0), sb(b, 1, 48000.0);
    AudioDiff d = DiffAudio(sa, sb, 0.0);
    EXPECT_EQ(d.framesA, 19999);
    EXPECT_EQ(d.framesB, 20000);
    // Half the samples differ by 0.001: RMS 0.001 / sqrt(2).
    EXPECT_NEAR(d.rmsDifference, 0.001 / std::sqrt(2.0), 1e-6);
    std::ostringstream text;
    PrintDiff(d, 0.0, text);
    EXPECT_NE(text.str().find("19999 and 20000 (differ)"), std::string::npos) << text.str();
}

} // namespace
} // namespace vhost
