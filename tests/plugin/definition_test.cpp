#include "plugin/velmorande.h"
#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(EffectDefinition, Identity) {
    InProcessEffect fx;
    EXPECT_EQ(fx.NParams(), 9);
    EXPECT_EQ(fx.NPresets(), 25);
    EXPECT_EQ(fx.UniqueId(), 0x717A766E);
    EXPECT_EQ(fx.MakerId(), ('T' << 24) | ('a' << 16) | ('l' << 8) | 'v');
    EXPECT_EQ(fx.VersionNumber(true), 10100);
    char version[16];
    fx.VersionText(version, sizeof version);
    EXPECT_STREQ(version, "v1.01");
    EXPECT_STREQ(fx.EffectName(), "Velmorande");
    EXPECT_STREQ(fx.MakerName(), "Talvo");
    EXPECT_STREQ(fx.ProductName(), "");
    EXPECT_TRUE(fx.SupportsChannels(1, 1));
    EXPECT_TRUE(fx.SupportsChannels(2, 2));
    EXPECT_FALSE(fx.SupportsChannels(1, 2));
    EXPECT_FALSE(fx.DoesChunks());
    EXPECT_FALSE(fx.IsInstrument());
    EXPECT_EQ(fx.GetLatency(), 0);
}

// The one check of the parameter table; the note-value texts have their own test.
TEST(EffectDefinition, Parameters) {
    InProcessEffect fx;
    struct Expected {
        const char* name;
        ParamType type;
        double value, min, max;
        const char* label;
        double curve;
        std::vector<std::string> texts;
    };
    const Expected table[] = {
        {"Delay Rate", ParamChoice, 9, 0, 24, "", 1, {}},
        {"Delay Time", ParamInteger, 500, 1, 24000, "ms", 1, {}},
        {"Host Sync", ParamChoice, 1, 0, 1, "", 1, {"No", "Yes"}},
        {"Ping Pong", ParamChoice, 2, 0, 2, "", 1, {"Triplet", "Dotted", "Normal"}},
        {"Pan Width", ParamInteger, 90, -100, 100, "%", 1, {}},
        {"Feedback", ParamInteger, 60, 0, 99, "%", 1, {}},
        {"Freq", ParamInteger, 6000, 100, 20000, "Hz", 2, {}},
        {"Dry Mix", ParamInteger, 100, 0, 100, "%", 1, {}},
        {"Wet Mix", ParamInteger, 50, 0, 100, "%", 1, {}},
    };
    for (int i = 0; i < 9; ++i) {
        const IPlugParam& p = *fx.GetParam(i);
        SCOPED_TRACE(table[i].name);
        EXPECT_STREQ(p.Name(), table[i].name);
        EXPECT_EQ(p.Type(), table[i].type);
        EXPECT_EQ(p.Value(), table[i].value);
        EXPECT_EQ(p.Min(), table[i].min);
        EXPECT_EQ(p.Max(), table[i].max);
        EXPECT_EQ(p.Step(), 1.0);
        EXPECT_STREQ(p.Label(), table[i].label);
        EXPECT_EQ(p.Curve(), table[i].curve);
        for (std::size_t v = 0; v < table[i].texts.size(); ++v)
            EXPECT_EQ(p.FormatValue(static_cast<double>(v), false), table[i].texts[v]);
    }
}

TEST(EffectDefinition, CurvesMapNormalisedValues) {
    InProcessEffect fx;
    IPlugParam& freq = *fx.GetParam(kFreq);
    freq.SetFromNormalized(0.5);
    EXPECT_EQ(freq.Value(), 5075.0);
    IPlugParam& pan = *fx.GetParam(kPanWidth);
    pan.SetFromNormalized(0.25);
    EXPECT_EQ(pan.Value(), -50.0);
    IPlugParam& time = *fx.GetParam(kDelayTime);
    time.SetFromNormalized(0.5);
    EXPECT_EQ(time.Value(), 12001.0) << "linear until re-ranged: 0.5 * 23999 + 1 = 12000.5";
}

TEST(EffectDefinition, ConstructorReportsNothing) {
    InProcessEffect fx;
    EXPECT_TRUE(fx.host.EditEvents().empty());
    EXPECT_FALSE(fx.GateOpen());
}
