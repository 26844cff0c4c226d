// Plain port values reach the effect as exactly that value: every whole value of every
// parameter, through the normalised value a VST 2.x host would send, in the ranges the
// parameters have at start and after "Delay Time" follows the tempo.
#include "core/plug_param.h"
#include "lv2/effect_host.h"
#include "lv2/port_layout.h"
#include "lv2/port_values.h"
#include "vst/plug_vst.h"

#include <gtest/gtest.h>

#include <limits>

namespace {
void SweepEveryWholeValue(EffectHost& effect) {
    for (int i = 0; i < effect.NumParams(); ++i) {
        const IPlugParam& param = *effect.Plug()->GetParam(i);
        ASSERT_TRUE(param.IsIntegerValued()) << param.Name();
        int wrong = 0, first = 0;
        for (int v = static_cast<int>(param.Min()); v <= static_cast<int>(param.Max()); ++v) {
            effect.SetFromPort(i, static_cast<float>(v));
            if (effect.PortValue(i) != static_cast<float>(v) && !wrong++) first = v;
        }
        EXPECT_EQ(wrong, 0) << param.Name() << ", first at " << first;
    }
}

TEST(PortValues, EveryWholeValueArrivesExactly) {
    EffectHost effect;
    SweepEveryWholeValue(effect);
}

TEST(PortValues, EveryWholeValueArrivesExactlyAfterTheDelayTimeRerange) {
    EffectHost effect;
    effect.Prepare(48000.0, 64);
    effect.SetFromPort(2, 0.0f); // Host Sync off: "Delay Time" ranges with the tempo
    effect.Time().tempo = 97.0;
    effect.SetActive(true);
    float silence[64] = {};
    float out[2][64];
    float* ins[2] = {silence, silence};
    float* outs[2] = {out[0], out[1]};
    effect.Effect()->processReplacing(effect.Effect(), ins, outs, 64);
    const IPlugParam& time = *effect.Plug()->GetParam(1);
    ASSERT_NE(time.Max(), 24000.0) << "re-ranged";
    SweepEveryWholeValue(effect);
}

TEST(PortValues, NotANumberIsRefusedAndTheRangeHolds) {
    EffectHost effect;
    const IPlugParam& feedback = *effect.Plug()->GetParam(5);
    EXPECT_FALSE(NormalizedFromPort(feedback, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(NormalizedFromPort(feedback, 1e30f), 1.0f);
    EXPECT_EQ(NormalizedFromPort(feedback, -std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_FALSE(effect.SetFromPort(-1, 1.0f));
    EXPECT_FALSE(effect.SetFromPort(effect.NumParams(), 1.0f));
}

TEST(PortValues, SymbolsAreIdentifiers) {
    struct Case {
        const char* name;
        const char* symbol;
    };
    for (const Case& c : {Case{"Delay Rate", "delay_rate"}, Case{"Freq", "freq"},
                          Case{"Dry  Mix (L/R)", "dry_mix_l_r"}, Case{"2nd Tap", "_2nd_tap"},
                          Case{"", "_"}, Case{"Ünïcode", "n_code"}})
        EXPECT_EQ(PortSymbol(c.name), c.symbol) << c.name;
}
} // namespace
