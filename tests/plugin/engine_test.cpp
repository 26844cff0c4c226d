#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

namespace {
// The taps alone, filtered at `freq`: tap 1 on the left, tap 2 on the right, no feedback.
void TapsOnly(InProcessEffect& fx, double freq) {
    SetPlain(fx, kFeedback, 0);
    SetPlain(fx, kFreq, freq);
    SetPlain(fx, kPanWidth, 100);
    SetPlain(fx, kDryMix, 0);
    SetPlain(fx, kWetMix, 100);
}

// 4 Hz and 1.875 bpm give 512 samples per whole note, so "1/64" is a cycle of 16 samples;
// at that rate the crossfade is 0 samples long and the top "Freq" filters nothing.
void OpenRampExample(InProcessEffect& fx) {
    OpenEffect(fx, 4.0, 1.875);
    SetPlain(fx, kDelayRate, 0);
    TapsOnly(fx, 20000);
}

// What a tap at `offset` reads at `frame` when the ramp 0, 1, 2, ... is written into a
// cycle of `period` cells: the cell it reads runs backwards from the offset, and holds the
// last ramp value written there (that frame's own included), or 0 if none was yet.
double ReversedRamp(int offset, int period, int frame) {
    const int cell = ((offset - frame) % period + period) % period;
    const int written = frame - ((frame - cell) % period + period) % period;
    return written < 0 ? 0.0 : written;
}
} // namespace

TEST(Engine, ClosedGateLeavesOutputsUntouched) {
    InProcessEffect fx;
    StereoBlock block(32, 1.0);
    std::fill(block.outL.begin(), block.outL.end(), 7.0);
    std::fill(block.outR.begin(), block.outR.end(), 7.0);
    block.Process(fx);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(block.outL[i], 7.0);
        EXPECT_EQ(block.outR[i], 7.0);
    }
}

TEST(Engine, RampIsPlayedBackReversedInEveryTapMode) {
    // The reference against the runs of the normal mode: eight zeros, then 7..0, 15..8.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ReversedRamp(15, 16, i), 0.0);
        EXPECT_EQ(ReversedRamp(15, 16, 8 + i), 7 - i);
        EXPECT_EQ(ReversedRamp(15, 16, 16 + i), 15 - i);
    }
    EXPECT_EQ(ReversedRamp(8, 16, 4), 4.0);
    EXPECT_EQ(ReversedRamp(8, 16, 12), 12.0);

    // Tap 1 sits at two thirds, three quarters and the whole of the 16-sample cycle.
    for (auto [mode, tap1] : {std::pair{kTapTriplet, 11}, {kTapDotted, 12}, {kTapNormal, 15}}) {
        SCOPED_TRACE(mode);
        InProcessEffect fx;
        OpenRampExample(fx);
        SetPlain(fx, kPingPong, mode);
        StereoBlock block(56);
        std::iota(block.inL.begin(), block.inL.end(), 0.0);
        block.inR = block.inL;
        block.Process(fx);
        ASSERT_EQ(fx.Period(), 16u);
        ASSERT_EQ(fx.Tap1Offset(), tap1);
        ASSERT_EQ(fx.Tap2Offset(), 8);
        ASSERT_EQ(fx.FilterCoefficient(), 0.0);
        for (int i = 0; i < 56; ++i) {
            EXPECT_EQ(block.outL[i], ReversedRamp(tap1, 16, i)) << "frame " << i;
            EXPECT_EQ(block.outR[i], ReversedRamp(8, 16, i)) << "frame " << i;
        }
    }
}

TEST(Engine, FeedbackReinjectsOneCycleLater) {
    InProcessEffect fx;
    OpenRampExample(fx);
    SetPlain(fx, kFeedback, 50);
    StereoBlock block(48);
    block.inL[0] = block.inR[0] = 1.0; // an impulse at the start of the cycle
    block.Process(fx);
    // The first tap reads cell 0 at frames 15, 31, 47: what was written, then halved.
    EXPECT_EQ(block.outL[15], 1.0);
    EXPECT_EQ(block.outL[31], 0.5);
    EXPECT_EQ(block.outL[47], 0.25);
    double energy = 0.0;
    for (double v : block.outL)
        energy += v * v;
    EXPECT_EQ(energy, 1.0 + 0.25 + 0.0625) << "nothing else reaches the left output";
}

TEST(Engine, DryAndMonoSum) {
    InProcessEffect fx;
    OpenRampExample(fx);
    SetPlain(fx, kDryMix, 50);
    StereoBlock block(16);
    block.inL[3] = 2.0;
    block.inR[3] = -6.0;
    block.Process(fx);
    EXPECT_EQ(block.outL[3], 1.0);
    EXPECT_EQ(block.outR[3], -3.0);
    // Left and right are summed to mono before the line: cell 3 holds -2, read at 12.
    EXPECT_EQ(block.outL[12], 1.0 * 0.0 + (-2.0));
}

// After a change of tap layout the output fades in the new signal linearly over a tenth of a
// second. At 8000 Hz the top "Freq" hardly filters (a coefficient of 1.5e-7), so the new
// signal is what the taps read in the cleared line with a steady input of 1: 0 while a tap
// reads cells not yet written again, 1 once it does.
TEST(Engine, CrossfadeFadesTheNewSignalInLinearly) {
    InProcessEffect fx;
    OpenEffect(fx, 8000.0);
    SetPlain(fx, kDelayRate, 0); // 1/64 at 120 bpm: a cycle of 500 samples
    TapsOnly(fx, 20000);
    StereoBlock fill(4000, 1.0);
    fill.Process(fx);
    ASSERT_NEAR(fill.outR.back(), 1.0, 1e-6);

    SetPlain(fx, kPingPong, kTapTriplet); // clears the line and starts a crossfade
    const int length = 800;
    ASSERT_EQ(fx.CrossfadeLength(), length);
    StereoBlock block(1500, 1.0);
    block.Process(fx);
    // A tap at `offset` reads cell offset - k (wrapped into the cycle) at frame k, which
    // frame k' has written again once k' <= k. Tap 1 is the left output, tap 2 the right.
    for (auto [offset, out] :
         {std::pair{fx.Tap1Offset(), &block.outL}, {fx.Tap2Offset(), &block.outR}}) {
        for (int k = 0; k < 1500; ++k) {
            const int cell = ((offset - k) % 500 + 500) % 500;
            const double signal = cell <= k ? 1.0 : 0.0;
            const double faded = k < length ? signal * k / length : signal;
            ASSERT_NEAR((*out)[k], faded, 1e-6) << "tap at " << offset << ", frame " << k;
        }
    }
}

// With a slow filter the output at the change is far from the new signal (silence): the
// crossfade starts at that held value and lets it go no faster than linearly.
TEST(Engine, CrossfadeStartsFromTheHeldValue) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    TapsOnly(fx, 100);
    StereoBlock fill(40000, 1.0);
    fill.Process(fx);
    ASSERT_NEAR(fill.outL.back(), 1.0, 1e-9);

    SetPlain(fx, kPingPong, 0);
    const int length = fx.CrossfadeLength();
    ASSERT_EQ(length, 4410);
    StereoBlock block(6000, 0.0); // silence in the cleared line: the taps read 0
    block.Process(fx);
    EXPECT_NEAR(block.outL[0], 1.0, 0.02) << "no jump at the change";
    for (int k : {1, 1000, 2205, 4000})
        EXPECT_GE(block.outL[k], block.outL[0] * (length - k) / length - 1e-9) << k;
    EXPECT_LT(std::fabs(block.outL.back()), 1e-6) << "then the filter settles on the silence";
}

TEST(Engine, InPlaceEqualsSeparateBuffers) {
    InProcessEffect separate, inPlace;
    OpenEffect(separate, 48000.0);
    OpenEffect(inPlace, 48000.0);
    std::vector<double> l(3000), r(3000);
    for (int i = 0; i < 3000; ++i) {
        l[i] = std::sin(i * 0.05);
        r[i] = std::cos(i * 0.031) * 0.5;
    }
    StereoBlock block(3000);
    block.inL = l;
    block.inR = r;
    block.Process(separate);

    double* buffers[2] = {l.data(), r.data()};
    inPlace.ProcessBlock(buffers, buffers, 3000);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(l[i], block.outL[i]) << i;
        ASSERT_EQ(r[i], block.outR[i]) << i;
    }
}

TEST(Engine, TempoChangeReallocatesWithinTheBlock) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    StereoBlock block(64, 0.5);
    block.Process(fx);
    ASSERT_EQ(fx.Period(), 22050u);
    fx.host.SetTempo(60.0);
    block.Process(fx);
    EXPECT_EQ(fx.SamplesPerWholeNote(), 176400.0);
    EXPECT_EQ(fx.Capacity(), 1411200);
    EXPECT_EQ(fx.LineSize(), 1411200);
    EXPECT_EQ(fx.Period(), 44100u) << "1/8 at the new tempo, in the same block";
}

TEST(Engine, NoTempoPassesTheDrySignal) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0, 0.0);
    SetPlain(fx, kDryMix, 70);
    StereoBlock block(256, 0.5);
    block.Process(fx);
    EXPECT_EQ(fx.LineSize(), 0);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(block.outL[i], 0.5 * double(0.7f));
        ASSERT_EQ(block.outR[i], 0.5 * double(0.7f));
    }
    // Tempo disappearing after it was there: back to dry, nothing out of bounds.
    fx.host.SetTempo(120.0);
    block.Process(fx);
    fx.host.SetTempo(0.0);
    block.Process(fx);
    EXPECT_EQ(block.outL[100], 0.5 * double(0.7f));
}

TEST(Engine, LongDelayTimeGrowsTheLine) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    StereoBlock block(512, 0.25);
    block.Process(fx);
    // Automation switches sync off and asks for 24 s while the range is still the
    // initial one: a cycle three times longer than the tempo's capacity.
    SetPlain(fx, kHostSync, 0);
    SetPlain(fx, kDelayTime, 24000);
    ASSERT_EQ(fx.Period(), 2u * 1058400u);
    ASSERT_GT(fx.Period(), static_cast<unsigned>(fx.Capacity()));
    block.Process(fx);
    EXPECT_GE(fx.LineSize(), static_cast<int>(fx.Period()));
    EXPECT_EQ(block.outL[0], 0.25) << "dry signal passes; the echo is 24 s away";
}

TEST(Engine, SampleRateIncreaseWithSyncOffStaysInsideTheLine) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    SetPlain(fx, kHostSync, 0);
    StereoBlock block(512, 0.25);
    block.Process(fx);
    SetPlain(fx, kDelayTime, 8000); // the longest of the tempo range: 4 whole notes
    fx.SetSampleRate(192000.0);
    fx.OnReset(); // clears the longer cycle before the line has followed the rate
    EXPECT_GT(fx.Period(), static_cast<unsigned>(fx.LineSize()));
    block.Process(fx);
    EXPECT_GE(fx.LineSize(), static_cast<int>(fx.Period()));
}

TEST(Engine, TinyPeriodsKeepTapsInsideTheCycle) {
    for (double tempo : {165375.0, 330750.0, 1e9}) {
        InProcessEffect fx;
        OpenEffect(fx, 44100.0, tempo);
        for (int mode : {0, 1, 2}) {
            SetPlain(fx, kPingPong, mode);
            SetPlain(fx, kDelayRate, 0);
            StereoBlock block(64, 1.0);
            block.Process(fx);
            EXPECT_LE(fx.Period(), 2u);
            EXPECT_LT(fx.Tap1Offset(), std::max<int>(fx.Period(), 1));
            EXPECT_LT(fx.Tap2Offset(), std::max<int>(fx.Period(), 1));
            for (double v : block.outL)
                ASSERT_TRUE(std::isfinite(v));
        }
    }
}

TEST(Engine, ZeroAndNegativeFrameCountsProcessNothing) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    StereoBlock block(8, 1.0);
    std::fill(block.outL.begin(), block.outL.end(), 3.0);
    block.ins[0] = block.inL.data();
    block.ins[1] = block.inR.data();
    block.outs[0] = block.outL.data();
    block.outs[1] = block.outR.data();
    fx.ProcessBlock(block.ins, block.outs, 0);
    fx.ProcessBlock(block.ins, block.outs, -5);
    EXPECT_EQ(block.outL[0], 3.0);
}

// A NaN or an infinity in the input is heard as silence, in the wet and the dry path
// alike: the output equals that of the same input with zeros there, and stays finite long
// after (the feedback would otherwise carry it round the line for good).
TEST(Engine, NonFiniteInputIsHeardAsSilence) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (bool wet : {true, false}) {
        SCOPED_TRACE(wet ? "delay line" : "dry path (no tempo)");
        InProcessEffect poisoned, clean;
        for (InProcessEffect* fx : {&poisoned, &clean}) {
            OpenEffect(*fx, 44100.0, wet ? 120.0 : 0.0);
            SetPlain(*fx, kFeedback, 90);
            SetPlain(*fx, kDryMix, 50);
        }
        for (int b = 0; b < 40; ++b) {
            StereoBlock p(512), c(512);
            for (int i = 0; i < 512; ++i)
                p.inL[i] = c.inL[i] = p.inR[i] = c.inR[i] = std::sin(0.01 * (b * 512 + i));
            if (b == 1) {
                p.inL[3] = nan;
                p.inR[7] = inf;
                p.inL[100] = -inf;
                p.inR[100] = nan;
                c.inL[3] = c.inR[7] = c.inL[100] = c.inR[100] = 0.0;
            }
            if (b == 2) { // the right channel alone
                p.inR[50] = nan;
                c.inR[50] = 0.0;
            }
            // Blocks poisoned on one side only: each side is looked at.
            if (b == 3) {
                p.inL[10] = nan;
                c.inL[10] = 0.0;
            }
            if (b == 5) {
                p.inR[20] = -inf;
                c.inR[20] = 0.0;
            }
            p.Process(poisoned);
            c.Process(clean);
            for (int i = 0; i < 512; ++i) {
                ASSERT_TRUE(std::isfinite(p.outL[i]) && std::isfinite(p.outR[i])) << b << ":" << i;
                ASSERT_EQ(p.outL[i], c.outL[i]) << b << ":" << i;
                ASSERT_EQ(p.outR[i], c.outR[i]) << b << ":" << i;
            }
        }
    }
}
