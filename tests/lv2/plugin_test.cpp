// The LV2 plug-in against the VST 2.x library it must sound like, and under the host
// behaviour LV2 allows: any block length, in-place buffers, missing features and ports,
// tempo events, state, and values no port should carry.
#include "lv2/lv2_test_host.h"

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr double kRate = 44100.0;
constexpr int kHarp = 9, kTriplet = 2, kDotted = 16;
constexpr int kFeedbackPort = 5, kHostSyncPort = 2, kDelayTimePort = 1;

void SetProgram(Lv2Instance& lv2, int program) {
    const std::vector<float> values = ProgramPortValues(program);
    for (int i = 0; i < kParams; ++i)
        lv2.Control(i) = values[static_cast<std::size_t>(i)];
}

Stereo RenderLv2(UridMap& urids, const Stereo& in, std::size_t block, int program,
                 bool inPlace = false) {
    Lv2Instance lv2(urids);
    EXPECT_TRUE(lv2.Valid());
    SetProgram(lv2, program);
    lv2.Activate();
    return lv2.Render(in, block, inPlace);
}

bool Silent(const Stereo& s) {
    for (std::size_t i = 0; i < s.Frames(); ++i)
        if (s.left[i] != 0.0f || s.right[i] != 0.0f) return false;
    return true;
}

// Without a transport the plug-in plays at 120 bpm, sample for sample as the VST 2.x
// library does at that tempo, whatever the blocks (the default largest block is 4096, so
// 5000 is split inside) and with in-place buffers.
TEST(Lv2Plugin, SoundsAsTheVstLibraryAt120Bpm) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate * 2.5), kRate);
    struct Case {
        int program;
        std::size_t lv2Block, vstBlock;
        bool inPlace;
    };
    for (const Case& c : {Case{kHarp, 512, 512, false}, Case{kHarp, 1, 1000, false},
                          Case{kTriplet, 5000, 333, true}, Case{kDotted, 64, 4096, true},
                          Case{0, 700, 512, false}}) {
        SCOPED_TRACE(::testing::Message()
                     << "program " << c.program << ", blocks " << c.lv2Block << "/" << c.vstBlock);
        const Stereo vst = RenderVst(in, c.vstBlock, c.program, 120.0);
        ASSERT_NE(vst, in) << "the effect is heard";
        EXPECT_TRUE(RenderLv2(urids, in, c.lv2Block, c.program, c.inPlace) == vst);
    }
}

TEST(Lv2Plugin, WithoutAnyFeatureItStillPlays) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate), kRate);
    Lv2Instance lv2(urids, {kRate, false, {}});
    ASSERT_TRUE(lv2.Valid());
    SetProgram(lv2, kHarp);
    lv2.SendTempo(0, 60.0f); // not understood without URIDs: the tempo stays 120
    lv2.Activate();
    EXPECT_TRUE(lv2.Render(in, 256) == RenderVst(in, 256, kHarp, 120.0));
    SavedState state;
    EXPECT_EQ(lv2.Save(state), LV2_STATE_ERR_NO_FEATURE);
}

TEST(Lv2Plugin, RefusesSampleRatesThatAreNoRates) {
    UridMap urids;
    for (double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()}) {
        Lv2Instance lv2(urids, {rate, true, {}});
        EXPECT_FALSE(lv2.Valid()) << rate;
    }
}

// The host's maximum block length is honoured by splitting longer runs.
TEST(Lv2Plugin, TheHostsLargestBlockIsKept) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate), kRate);
    Lv2Instance lv2(urids, {kRate, true, 64});
    ASSERT_TRUE(lv2.Valid());
    SetProgram(lv2, kHarp);
    lv2.Activate();
    EXPECT_TRUE(lv2.Render(in, 3000) == RenderVst(in, 64, kHarp, 120.0));
}

// Tempo from time:Position, at the frame it arrives; positions that carry no usable tempo
// leave the one in force.
TEST(Lv2Plugin, TakesTheTempoFromTimePosition) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate * 2), kRate);
    const std::size_t all = in.Frames();
    {
        Lv2Instance lv2(urids);
        SetProgram(lv2, kHarp);
        lv2.SendTempo(0, 90.0f);
        lv2.SendTempo(30000, 140.0f);
        lv2.Activate();
        EXPECT_TRUE(lv2.Render(in, all) == RenderVst(in, 512, kHarp, 90.0, {{30000, 140.0}}));
    }
    const LV2_URID doubleType = urids.Map(LV2_ATOM__Double);
    for (float bad : {0.0f, -10.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        Lv2Instance lv2(urids);
        SetProgram(lv2, kHarp);
        lv2.SendTempo(0, 100.0f);
        lv2.SendTempo(20000, bad);
        lv2.SendTempo(25000, 100.0f, doubleType); // a float body claiming to be a double
        lv2.Activate();
        EXPECT_TRUE(lv2.Render(in, all) == RenderVst(in, 512, kHarp, 100.0)) << bad;
    }
    {
        // Atoms that are no time:Position, or too short to be one, are passed over.
        Lv2Instance lv2(urids);
        SetProgram(lv2, kHarp);
        LV2_Atom_Int number{{sizeof(int32_t), urids.Map(LV2_ATOM__Int)}, 60};
        std::vector<std::uint8_t> atom(sizeof number);
        std::memcpy(atom.data(), &number, sizeof number);
        lv2.SendAtom(0, atom);
        LV2_Atom shortObject{2, urids.Map(LV2_ATOM__Object)};
        std::vector<std::uint8_t> stub(sizeof shortObject + 8, 0);
        std::memcpy(stub.data(), &shortObject, sizeof shortObject);
        lv2.SendAtom(100, stub);
        lv2.Activate();
        EXPECT_TRUE(lv2.Render(in, all) == RenderVst(in, 512, kHarp, 120.0));
    }
}

// What a port may wrongly carry: out-of-range values are held to the range, values that
// are not numbers change nothing, fractions of whole-numbered parameters round.
TEST(Lv2Plugin, PortValuesOutsideTheirRange) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate * 1.5), kRate);
    auto render = [&](float feedback) {
        Lv2Instance lv2(urids);
        SetProgram(lv2, kHarp);
        lv2.Control(kFeedbackPort) = feedback;
        lv2.Activate();
        return lv2.Render(in, 512);
    };
    const Stereo top = render(99.0f);
    EXPECT_TRUE(render(500.0f) == top);
    EXPECT_TRUE(render(std::numeric_limits<float>::infinity()) == top);
    EXPECT_TRUE(render(98.6f) == top);
    EXPECT_TRUE(render(-3.0f) == render(0.0f));
    // Set before the first run: the effect keeps its own default (60), not the program's 80.
    EXPECT_TRUE(render(std::numeric_limits<float>::quiet_NaN()) == render(60.0f));
}

// A NaN or an infinity on either input is heard as silence: the output is that of the same
// input with zeros there, and the feedback never carries it round.
TEST(Lv2Plugin, NonFiniteInputOnEitherSideIsHeardAsSilence) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate), kRate);
    const float inf = std::numeric_limits<float>::infinity();
    const float poison[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf};
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(side == 0 ? "left" : "right");
        Stereo poisoned = in, zeroed = in;
        for (std::size_t k = 0; k < std::size(poison); ++k) {
            (side == 0 ? poisoned.left : poisoned.right)[3000 + 7 * k] = poison[k];
            (side == 0 ? zeroed.left : zeroed.right)[3000 + 7 * k] = 0.0f;
        }
        const Stereo heard = RenderLv2(urids, poisoned, 512, kHarp);
        EXPECT_TRUE(heard == RenderLv2(urids, zeroed, 512, kHarp));
        for (std::size_t i = 0; i < heard.Frames(); ++i)
            ASSERT_TRUE(std::isfinite(heard.left[i]) && std::isfinite(heard.right[i])) << i;
    }
}

// An unconnected input is silence; an unconnected output and event port are no fault.
TEST(Lv2Plugin, UnconnectedPorts) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate), kRate);
    Stereo leftOnly = in;
    std::fill(leftOnly.right.begin(), leftOnly.right.end(), 0.0f);
    Lv2Instance lv2(urids);
    SetProgram(lv2, kHarp);
    lv2.Disconnect(kAudioIn + 1);
    lv2.Disconnect(kEventPort);
    lv2.Activate();
    const Stereo out = lv2.Render(in, 512);
    const Stereo expected = RenderVst(leftOnly, 512, kHarp, 120.0);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(out.right, expected.right);

    Lv2Instance deaf(urids);
    deaf.Disconnect(kAudioOut);
    deaf.Activate();
    EXPECT_FALSE(Silent(deaf.Render(in, 512))) << "the right output still plays";
}

// Saved state brings the sound back in a new instance, whatever its ports said; what is
// not the effect's chunk is refused and leaves the sound alone.
TEST(Lv2Plugin, StateRestoresTheSound) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate * 2), kRate);
    SavedState saved;
    {
        Lv2Instance source(urids);
        SetProgram(source, kTriplet);
        source.Control(kFeedbackPort) = 85.0f;
        source.Activate();
        source.Render(in, 512); // the ports reach the effect in run()
        ASSERT_EQ(source.Save(saved), LV2_STATE_SUCCESS);
        ASSERT_EQ(saved.values.size(), 1u);
        EXPECT_EQ(saved.values.begin()->second.type, urids.Map(LV2_ATOM__Chunk));
        EXPECT_TRUE(saved.values.begin()->second.flags & LV2_STATE_IS_POD);
    }
    Lv2Instance expected(urids);
    SetProgram(expected, kTriplet);
    expected.Control(kFeedbackPort) = 85.0f;
    expected.Activate();
    const Stereo reference = expected.Render(in, 512);

    Lv2Instance restored(urids);
    ASSERT_EQ(restored.Restore(saved), LV2_STATE_SUCCESS);
    restored.Activate();
    EXPECT_TRUE(restored.Render(in, 512) == reference);

    // Damaged or foreign states.
    Lv2Instance plain(urids);
    plain.Activate();
    const Stereo untouched = plain.Render(in, 512);
    const LV2_URID key = saved.values.begin()->first;
    SavedState truncated = saved;
    truncated.values[key].data.resize(10);
    SavedState garbage = saved;
    for (auto& byte : garbage.values[key].data)
        byte = 0xA5;
    SavedState wrongType = saved;
    wrongType.values[key].type = urids.Map(LV2_ATOM__String);
    struct Case {
        const SavedState* state;
        LV2_State_Status status;
    };
    const SavedState empty;
    for (const Case& c :
         {Case{&truncated, LV2_STATE_ERR_UNKNOWN}, Case{&garbage, LV2_STATE_ERR_UNKNOWN},
          Case{&wrongType, LV2_STATE_ERR_BAD_TYPE}, Case{&empty, LV2_STATE_ERR_NO_PROPERTY}}) {
        Lv2Instance lv2(urids);
        EXPECT_EQ(lv2.Restore(*c.state), c.status);
        lv2.Activate();
        EXPECT_TRUE(lv2.Render(in, 512) == untouched);
    }
}

// Host Sync off: the delay follows the milliseconds port, as the VST library's "Delay Time".
TEST(Lv2Plugin, MillisecondDelayWithSyncOff) {
    UridMap urids;
    const Stereo in = TestSignal(static_cast<std::size_t>(kRate * 2), kRate);
    auto render = [&](float ms) {
        Lv2Instance lv2(urids);
        lv2.Control(kHostSyncPort) = 0.0f;
        lv2.Control(kDelayTimePort) = ms;
        lv2.Activate();
        return lv2.Render(in, 512);
    };
    const Stereo a = render(300.0f), b = render(700.0f);
    EXPECT_NE(a, b);
    EXPECT_NE(a, RenderLv2(urids, in, 512, 0)) << "sync off is heard";
}
} // namespace
