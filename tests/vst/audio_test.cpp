#include "support/test_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {
constexpr int kFrames = 4096;

std::vector<double> Tone(double step, double amplitude = 0.5) {
    std::vector<double> v(kFrames);
    for (int i = 0; i < kFrames; ++i)
        v[i] = amplitude * std::sin(i * step);
    return v;
}

// An opened instance at 120 bpm with a short delay, so echoes appear within the signal.
AEffect* OpenPlaying(TestHost& host, VstInt32 blockSize = 512) {
    host.SetTempo(120.0);
    AEffect* e = host.Open(44100.0f, blockSize);
    e->setParameter(e, 0, 0.0f); // 1/64: a cycle of 2756 samples
    return e;
}

std::vector<float> ToFloat(const std::vector<double>& v) {
    return {v.begin(), v.end()};
}

// Runs the double-precision callback over the signal in blocks of `block` frames.
void RunDouble(AEffect* e, std::vector<double> l, std::vector<double> r, std::vector<double>& outL,
               std::vector<double>& outR, int block) {
    outL.assign(kFrames, 0.0);
    outR.assign(kFrames, 0.0);
    for (int done = 0; done < kFrames; done += block) {
        double* in[2] = {l.data() + done, r.data() + done};
        double* out[2] = {outL.data() + done, outR.data() + done};
        e->processDoubleReplacing(e, in, out, block);
    }
}

// Runs one of the single-precision callbacks over the signal in blocks of `block` frames,
// into outputs that start at `start` (the accumulating callback adds to them).
void RunFloat(AEffect* e, AEffectProcessProc callback, std::vector<float>& outL,
              std::vector<float>& outR, int block, float start) {
    std::vector<float> l = ToFloat(Tone(0.03)), r = ToFloat(Tone(0.05));
    outL.assign(kFrames, start);
    outR.assign(kFrames, -start);
    for (int done = 0; done < kFrames; done += block) {
        float* in[2] = {l.data() + done, r.data() + done};
        float* out[2] = {outL.data() + done, outR.data() + done};
        callback(e, in, out, block);
    }
}
} // namespace

TEST(AudioCallbacks, DoubleReplacingRendersEchoes) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* e = OpenPlaying(host);
    std::vector<double> outL, outR;
    RunDouble(e, Tone(0.03), Tone(0.05), outL, outR, 512);
    // Dry 100 %: the first half cycle is the input plus silence from the taps.
    EXPECT_DOUBLE_EQ(outL[10], Tone(0.03)[10]);
    double echo = 0.0;
    for (int i = 2756; i < kFrames; ++i)
        echo = std::max(echo, std::fabs(outL[i] - Tone(0.03)[i]));
    EXPECT_GT(echo, 0.05) << "reversed echoes arrive after the first cycle";
}

// Other ways of calling render what the double-precision callback renders into separate
// buffers: single precision within its rounding, double precision in place exactly.
TEST(AudioCallbacks, EveryWayOfCallingMatchesTheDoubleCallback) {
    struct Way {
        const char* name;
        // Renders l and r through e in 512-frame blocks, leaving the output in them.
        void (*render)(AEffect* e, std::vector<double>& l, std::vector<double>& r);
        double tolerance;
    };
    static const Way kWays[] = {
        {"single precision",
         [](AEffect* e, std::vector<double>& l, std::vector<double>& r) {
             std::vector<float> fl = ToFloat(l), fr = ToFloat(r), outL(kFrames, 7.0f),
                                outR(kFrames);
             for (int done = 0; done < kFrames; done += 512) {
                 float* in[2] = {fl.data() + done, fr.data() + done};
                 float* out[2] = {outL.data() + done, outR.data() + done};
                 e->processReplacing(e, in, out, 512);
             }
             l.assign(outL.begin(), outL.end());
             r.assign(outR.begin(), outR.end());
         },
         1e-6},
        {"double precision in place",
         [](AEffect* e, std::vector<double>& l, std::vector<double>& r) {
             for (int done = 0; done < kFrames; done += 512) {
                 double* io[2] = {l.data() + done, r.data() + done};
                 e->processDoubleReplacing(e, io, io, 512);
             }
         },
         0.0},
    };
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.name);
        TestHost host(VELMORANDE_PLUGIN_PATH);
        AEffect* reference = OpenPlaying(host);
        AEffect* other = OpenPlaying(host);
        std::vector<double> l = Tone(0.03), r = Tone(0.05), outL, outR;
        RunDouble(reference, l, r, outL, outR, 512);
        way.render(other, l, r);
        for (int i = 0; i < kFrames; ++i) {
            ASSERT_NEAR(l[i], outL[i], way.tolerance) << i;
            ASSERT_NEAR(r[i], outR[i], way.tolerance) << i;
        }
    }
}

TEST(AudioCallbacks, SingleSamplesConvertExactly) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    host.WithholdTimeFlags(~0);
    AEffect* e = host.Open(); // no tempo: the dry signal at 100 % passes unchanged
    float in[4] = {0.1f, -0.25f, 1e-3f, 0.0f}, out[4] = {};
    float* ins[2] = {in, in};
    float* outs[2] = {out, out};
    e->processReplacing(e, ins, outs, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(out[i], in[i]);
}

TEST(AudioCallbacks, SingleOutputsHaveNoDenormals) {
    const float tiny = std::numeric_limits<float>::min();
    const float denormal = std::numeric_limits<float>::denorm_min();
    // Dry at 100 %: what reaches the output is the input, denormals flushed to zero.
    const float in[6] = {tiny / 2, -tiny / 4, denormal, tiny, -tiny, 1e-3f};
    const float expected[6] = {0.0f, 0.0f, 0.0f, tiny, -tiny, 1e-3f};
    for (bool accumulate : {false, true}) {
        TestHost host(VELMORANDE_PLUGIN_PATH);
        AEffect* e = host.Open();
        float l[6], r[6], outL[6] = {}, outR[6] = {};
        std::copy_n(in, 6, l);
        std::copy_n(in, 6, r);
        float* ins[2] = {l, r};
        float* outs[2] = {outL, outR};
        (accumulate ? e->process : e->processReplacing)(e, ins, outs, 6);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(outL[i], expected[i]) << "accumulate " << accumulate << ", frame " << i;
            EXPECT_EQ(outR[i], expected[i]) << "accumulate " << accumulate << ", frame " << i;
        }
    }
}

// A NaN or an infinity in single-precision input, on either side, is heard as silence by
// both single-precision callbacks: the output is that of zeros there, and stays finite as
// the echoes come round.
TEST(AudioCallbacks, NonFiniteSingleInputOnEitherSideIsSilence) {
    const float inf = std::numeric_limits<float>::infinity();
    const float poison[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf};
    for (bool accumulate : {false, true}) {
        for (int side = 0; side < 2; ++side) {
            SCOPED_TRACE(::testing::Message() << (accumulate ? "process" : "processReplacing")
                                              << (side == 0 ? ", left" : ", right"));
            TestHost host(VELMORANDE_PLUGIN_PATH);
            AEffect* poisoned = OpenPlaying(host);
            AEffect* clean = OpenPlaying(host);
            std::vector<float> in[2][2]; // [poisoned, clean][left, right]
            for (auto& pair : in) {
                pair[0] = ToFloat(Tone(0.03));
                pair[1] = ToFloat(Tone(0.05));
            }
            for (std::size_t k = 0; k < std::size(poison); ++k) {
                in[0][side][600 + 13 * k] = poison[k];
                in[1][side][600 + 13 * k] = 0.0f;
            }
            std::vector<float> out[2][2];
            AEffect* effects[2] = {poisoned, clean};
            for (int e = 0; e < 2; ++e) {
                out[e][0].assign(kFrames, 0.0f);
                out[e][1].assign(kFrames, 0.0f);
                AEffect* fx = effects[e];
                for (int done = 0; done < kFrames; done += 512) {
                    float* ins[2] = {in[e][0].data() + done, in[e][1].data() + done};
                    float* outs[2] = {out[e][0].data() + done, out[e][1].data() + done};
                    (accumulate ? fx->process : fx->processReplacing)(fx, ins, outs, 512);
                }
            }
            for (int c = 0; c < 2; ++c) {
                EXPECT_EQ(out[0][c], out[1][c]) << "channel " << c;
                for (float v : out[0][c])
                    ASSERT_TRUE(std::isfinite(v)) << "channel " << c;
            }
        }
    }
}

TEST(AudioCallbacks, AccumulatingAddsReplacingOverwrites) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    host.WithholdTimeFlags(~0);
    AEffect* a = host.Open();
    AEffect* b = host.Open();
    for (AEffect* e : {a, b}) {
        e->setParameter(e, 7, 0.0f); // dry 0, and with no tempo there is no wet signal
    }
    std::vector<float> in(256, 0.5f), added(256, 0.25f), replaced(256, 0.25f), right(256);
    float* ins[2] = {in.data(), in.data()};
    float* outA[2] = {added.data(), right.data()};
    float* outB[2] = {replaced.data(), right.data()};
    a->process(a, ins, outA, 128);
    b->processReplacing(b, ins, outB, 128);
    EXPECT_EQ(added[0], 0.25f) << "a silent result leaves the host's output as it was";
    EXPECT_EQ(replaced[0], 0.0f);
    EXPECT_EQ(replaced[200], 0.25f) << "frames past the count untouched";

    a->setParameter(a, 7, 1.0f);
    a->process(a, ins, outA, 128);
    EXPECT_EQ(added[0], 0.75f);
}

TEST(AudioCallbacks, OneInputArrangementReadsOneBuffer) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* e = host.Open();
    struct Head {
        VstInt32 type, numChannels;
    } mono{kSpeakerArrMono, 1}, stereo{kSpeakerArrStereo, 2};
    TestHost::Dispatch(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &stereo);
    std::vector<double> left(64, 0.5), outL(64), outR(64);
    double* ins[1] = {left.data()}; // only one input buffer: a second would be read past
    double* outs[2] = {outL.data(), outR.data()};
    e->processDoubleReplacing(e, ins, outs, 64);
    EXPECT_EQ(outL[0], 0.5);
    EXPECT_EQ(outR[0], 0.0) << "the second input reads silence";
}

TEST(AudioCallbacks, OddFrameCountsAndBuffers) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* e = OpenPlaying(host, 256);
    std::vector<double> l = Tone(0.03), r = Tone(0.05), outL, outR;
    RunDouble(e, l, r, outL, outR, 1024); // four times the announced block size

    AEffect* ref = OpenPlaying(host, 256);
    std::vector<double> refL, refR;
    RunDouble(ref, l, r, refL, refR, 256);
    EXPECT_EQ(outL, refL) << "an oversized block is processed in pieces";
    EXPECT_EQ(outR, refR);

    double* ins[2] = {l.data(), r.data()};
    double* outs[2] = {outL.data(), outR.data()};
    e->processDoubleReplacing(e, ins, outs, -7);
    e->processDoubleReplacing(e, ins, outs, 0);
    e->processDoubleReplacing(e, nullptr, outs, 64);
    e->processDoubleReplacing(e, ins, nullptr, 64);
    float* none[2] = {nullptr, nullptr};
    e->processReplacing(e, none, none, 64);
    e->process(e, nullptr, nullptr, 64);

    TestHost::Dispatch(e, effSetBlockSize, 0, 0);
    outL.assign(64, 9.0);
    e->processDoubleReplacing(e, ins, outs, 64);
    EXPECT_EQ(outL[5], 0.0) << "no block to work in: silence";
}

TEST(AudioCallbacks, OversizedSingleBlocksEqualSmallerCalls) {
    for (bool accumulate : {false, true}) {
        SCOPED_TRACE(accumulate ? "process" : "processReplacing");
        TestHost host(VELMORANDE_PLUGIN_PATH);
        AEffect* big = OpenPlaying(host, 256);
        AEffect* small = OpenPlaying(host, 256);
        const float start = accumulate ? 0.125f : 7.0f;
        std::vector<float> bigL, bigR, smallL, smallR;
        RunFloat(big, accumulate ? big->process : big->processReplacing, bigL, bigR, 1024, start);
        RunFloat(small, accumulate ? small->process : small->processReplacing, smallL, smallR, 256,
                 start);
        EXPECT_EQ(bigL, smallL) << "every piece reads its own part of the input";
        EXPECT_EQ(bigR, smallR);
        EXPECT_NE(smallL[2000], start) << "the signal got through";
    }
}

TEST(AudioCallbacks, ClosedGateBeforeOpenLeavesOutputs) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* e = host.Create();
    std::vector<double> l(64, 0.5), outL(64, 3.0), outR(64, 3.0);
    double* ins[2] = {l.data(), l.data()};
    double* outs[2] = {outL.data(), outR.data()};
    e->processDoubleReplacing(e, ins, outs, 64);
    EXPECT_EQ(outL[0], 3.0);
}

// Every way a host restarts the effect (processing switched off and on, the sample rate or
// the block size set again) empties the delay line: once the crossfade from the value held
// at the reset has run out, silence in is silence out, with no echo of what played before.
TEST(AudioCallbacks, ResetsLeaveNoStaleEchoes) {
    struct Reset {
        const char* name;
        void (*apply)(AEffect*);
        int crossfade; // frames, a tenth of a second at the rate after the reset
        bool echoes;   // whether the old echoes may still be heard
    };
    static const Reset kResets[] = {
        {"none: the echoes go on", [](AEffect*) {}, 4410, true},
        {"processing off and on",
         [](AEffect* e) {
             TestHost::Dispatch(e, effMainsChanged, 0, 0);
             TestHost::Dispatch(e, effMainsChanged, 0, 1);
         },
         4410, false},
        {"the same sample rate",
         [](AEffect* e) { TestHost::Dispatch(e, effSetSampleRate, 0, 0, nullptr, 44100.0f); }, 4410,
         false},
        {"a new sample rate",
         [](AEffect* e) { TestHost::Dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f); }, 4800,
         false},
        {"the block size", [](AEffect* e) { TestHost::Dispatch(e, effSetBlockSize, 0, 512); }, 4410,
         false},
    };
    for (const Reset& reset : kResets) {
        SCOPED_TRACE(reset.name);
        TestHost host(VELMORANDE_PLUGIN_PATH);
        AEffect* e = OpenPlaying(host);
        e->setParameter(e, 5, 0.9f); // long feedback: the line keeps sounding
        std::vector<double> outL, outR;
        RunDouble(e, Tone(0.03), Tone(0.05), outL, outR, 512);
        reset.apply(e);

        // Over two cycles of silence after the crossfade, and a little for the filters to settle.
        double loudest = 0.0;
        const std::vector<double> silence(kFrames, 0.0);
        for (int done = 0; done < 3 * kFrames; done += kFrames) {
            RunDouble(e, silence, silence, outL, outR, 512);
            for (int i = std::max(0, reset.crossfade + 256 - done); i < kFrames; ++i)
                loudest = std::max({loudest, std::fabs(outL[i]), std::fabs(outR[i])});
        }
        if (reset.echoes)
            EXPECT_GT(loudest, 0.01);
        else
            EXPECT_LT(loudest, 1e-9);
    }
}
