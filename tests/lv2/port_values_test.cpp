// Plain port values reach the effect as exactly that value: every whole value of every
// parameter, through the normalised value a VST 2.x host would send, in the ranges the
// parameters have at start and after "Delay Time" follows the tempo.
#include "core/plug_param.h"
#include "lv2/plug_lv2.h"
#include "lv2/port_values.h"

#include <gtest/gtest.h>

#include <limits>

namespace {
Lv2Plug Opened() {
    Lv2Plug plug = CreateLv2Plug(nullptr);
    if (plug) plug->OpenForHost();
    return plug;
}

void SweepEveryWholeValue(IPlugBase& plug) {
    for (int i = 0; i < plug.NParams(); ++i) {
        const IPlugParam& param = *plug.GetParam(i);
        ASSERT_TRUE(param.IsIntegerValued()) << param.Name();
        int wrong = 0, first = 0;
        for (int v = static_cast<int>(param.Min()); v <= static_cast<int>(param.Max()); ++v) {
            SetParameterFromPort(plug, i, static_cast<float>(v));
            if (PortValue(plug, i) != static_cast<float>(v) && !wrong++) first = v;
        }
        EXPECT_EQ(wrong, 0) << param.Name() << ", first at " << first;
    }
}

TEST(PortValues, EveryWholeValueArrivesExactly) {
    const Lv2Plug plug = Opened();
    ASSERT_TRUE(plug);
    SweepEveryWholeValue(*plug);
}

TEST(PortValues, EveryWholeValueArrivesExactlyAfterTheDelayTimeRerange) {
    const Lv2Plug plug = Opened();
    ASSERT_TRUE(plug);
    plug->ChangeSampleRate(48000.0);
    plug->ChangeBlockSize(64);
    SetParameterFromPort(*plug, 2, 0.0f); // Host Sync off: "Delay Time" ranges with the tempo
    plug->Time().tempo = 97.0;
    plug->ChangeActive(true);
    const float silence[64] = {};
    float out[2][64];
    const float* ins[2] = {silence, silence};
    float* outs[2] = {out[0], out[1]};
    plug->Process(ins, outs, 64);
    const IPlugParam& time = *plug->GetParam(1);
    ASSERT_NE(time.Max(), 24000.0) << "re-ranged";
    SweepEveryWholeValue(*plug);
}

TEST(PortValues, NotANumberIsRefusedAndTheRangeHolds) {
    const Lv2Plug plug = Opened();
    ASSERT_TRUE(plug);
    const IPlugParam& feedback = *plug->GetParam(5);
    EXPECT_FALSE(NormalizedFromPort(feedback, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(NormalizedFromPort(feedback, 1e30f), 1.0f);
    EXPECT_EQ(NormalizedFromPort(feedback, -std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_FALSE(SetParameterFromPort(*plug, -1, 1.0f));
    EXPECT_FALSE(SetParameterFromPort(*plug, plug->NParams(), 1.0f));
    EXPECT_EQ(PortValue(*plug, plug->NParams()), 0.0f);
}
} // namespace
