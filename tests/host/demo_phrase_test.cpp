#include "host/demo_phrase.h"
#include "host/signal_stats.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vhost {
namespace {

TEST(DemoPhrase, IsFourSecondsOfStereoAt44100) {
    DemoPhrase p = SynthesizeDemoPhrase();
    EXPECT_EQ(p.sampleRate, 44100);
    EXPECT_EQ(p.channels, 2);
    EXPECT_EQ(p.samples.size(), 4u * 44100 * 2);
}

TEST(DemoPhrase, IsTheSameEveryTime) {
    EXPECT_EQ(SynthesizeDemoPhrase().samples, SynthesizeDemoPhrase().samples);
}

TEST(DemoPhrase, PeaksAtMinusThreeDecibels) {
    DemoPhrase p = SynthesizeDemoPhrase();
    SignalStats s;
    for (double x : p.samples)
        s.Add(x);
    EXPECT_NEAR(s.PeakDb(), -3.0, 1e-9);
    EXPECT_GT(s.RmsDb(), -40.0);
}

TEST(DemoPhrase, OpensWithADrumHitAndHasPannedNotes) {
    DemoPhrase p = SynthesizeDemoPhrase();
    // The kick sits in the centre: both channels carry energy in the first 50 ms.
    double left = 0.0, right = 0.0, difference = 0.0;
    for (std::size_t i = 0; i < 2205; ++i) {
        left += std::fabs(p.samples[2 * i]);
        right += std::fabs(p.samples[2 * i + 1]);
    }
    EXPECT_GT(left, 10.0);
    EXPECT_GT(right, 10.0);
    for (std::size_t i = 0; i < p.samples.size() / 2; ++i)
        difference += std::fabs(p.samples[2 * i] - p.samples[2 * i + 1]);
    EXPECT_GT(difference, 100.0); // panned plucks make the channels differ
}

TEST(DemoPhrase, QuietensTowardsTheEnd) {
    DemoPhrase p = SynthesizeDemoPhrase();
    SignalStats first, last;
    for (std::size_t i = 0; i < 44100 * 2; ++i)
        first.Add(p.samples[i]);
    for (std::size_t i = p.samples.size() - 22050; i < p.samples.size(); ++i)
        last.Add(p.samples[i]);
    EXPECT_LT(last.Rms(), first.Rms() / 4.0);
}

} // namespace
} // namespace vhost
