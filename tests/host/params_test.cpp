// Programs and parameters by name, number, plain and normalised value, on the fixture effect.
#include "host/command_errors.h"
#include "host/plugin_params.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace vhost {
namespace {

class ParamsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { plugin = PluginInstance::Load(GetParam(), host); }
    HostCallback host;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_P(ParamsTest, FindsParametersByNameOrIndex) {
    EXPECT_EQ(FindParameter(*plugin, "Gain"), 0);
    EXPECT_EQ(FindParameter(*plugin, "  invert "), 1);
    EXPECT_EQ(FindParameter(*plugin, "1"), 1);
    EXPECT_THROW(FindParameter(*plugin, "2"), HostError);
    EXPECT_THROW(FindParameter(*plugin, "99999999999999999999"), HostError);
    try {
        FindParameter(*plugin, "Volume");
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        std::string message = e.what();
        EXPECT_NE(message.find("Volume"), std::string::npos);
        EXPECT_NE(message.find("0: Gain"), std::string::npos);
        EXPECT_NE(message.find("1: Invert"), std::string::npos);
    }
}

TEST_P(ParamsTest, PlainNumbersBecomeTheDisplayedValue) {
    ParamOutcome r = ApplyParameter(*plugin, ParseParamAssignment("Gain=50"));
    EXPECT_EQ(r.index, 0);
    EXPECT_EQ(r.display, "50.0");
    EXPECT_EQ(r.label, "%");
    EXPECT_TRUE(r.exact);
    EXPECT_NEAR(plugin->GetParameter(0), 0.25f, 1e-4);

    r = ApplyParameter(*plugin, ParseParamAssignment("gain=137.5"));
    EXPECT_EQ(r.display, "137.5");
    EXPECT_TRUE(r.exact);
}

TEST_P(ParamsTest, ChoiceTextsAreMatchedWithoutCase) {
    ParamOutcome r = ApplyParameter(*plugin, ParseParamAssignment("Invert=on"));
    EXPECT_EQ(r.display, "On");
    EXPECT_GE(plugin->GetParameter(1), 0.5f);
    r = ApplyParameter(*plugin, ParseParamAssignment("1=OFF"));
    EXPECT_EQ(r.display, "Off");
    EXPECT_LT(plugin->GetParameter(1), 0.5f);
}

TEST_P(ParamsTest, NormalisedValuesGoStraightIn) {
    ParamOutcome r = ApplyParameter(*plugin, ParseParamAssignment("0=0.75n"));
    EXPECT_EQ(plugin->GetParameter(0), 0.75f);
    EXPECT_EQ(r.display, "150.0");
    EXPECT_EQ(r.normalized, 0.75f);
}

TEST_P(ParamsTest, ValuesNoSettingShowsAreRefusedAndTheValueKept) {
    ApplyParameter(*plugin, ParseParamAssignment("Gain=20"));
    const float before = plugin->GetParameter(0);
    EXPECT_THROW(ApplyParameter(*plugin, ParseParamAssignment("Invert=Sideways")), HostError);
    EXPECT_THROW(ApplyParameter(*plugin, ParseParamAssignment("Gain=loud")), HostError);
    EXPECT_EQ(plugin->GetParameter(0), before);
}

TEST_P(ParamsTest, FindsProgramsByNumberOrName) {
    EXPECT_EQ(FindProgram(*plugin, "2"), 2);
    EXPECT_EQ(FindProgram(*plugin, "half"), 1);
    EXPECT_EQ(FindProgram(*plugin, " Inverted "), 2);
    EXPECT_THROW(FindProgram(*plugin, "3"), HostError);
    EXPECT_THROW(FindProgram(*plugin, "Loud"), HostError);
    // Looking names up leaves the current program alone.
    EXPECT_EQ(plugin->CurrentProgram(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ParamsTest, ::testing::Values(FIXTURE_GAIN, FIXTURE_LEGACY));

TEST(Params, ValuesBeyondTheRangeAreRefusedPlainOrNormalised) {
    HostCallback host;
    auto plugin = PluginInstance::Load(FIXTURE_GAIN, host);
    const float before = plugin->GetParameter(0);
    for (const char* text : {"Gain=250", "Gain=-1", "Gain=1.5n", "Gain=-0.1n"}) {
        try {
            ApplyParameter(*plugin, ParseParamAssignment(text));
            ADD_FAILURE() << text << " was taken";
        } catch (const UsageError&) {
            ADD_FAILURE() << text << " is a value error, not a usage error";
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find("outside"), std::string::npos) << e.what();
        }
        EXPECT_EQ(plugin->GetParameter(0), before) << text;
    }
    // The ends themselves are in range.
    EXPECT_TRUE(ApplyParameter(*plugin, ParseParamAssignment("Gain=200")).exact);
    EXPECT_TRUE(ApplyParameter(*plugin, ParseParamAssignment("Gain=0")).exact);
}

TEST(Params, WithoutTextSupportTheRangeIsSearched) {
    HostCallback host;
    auto plugin = PluginInstance::Load(FIXTURE_LEGACY, host);
    ParamOutcome r = ApplyParameter(*plugin, ParseParamAssignment("Gain=33.3"));
    EXPECT_EQ(r.method, "search");
    EXPECT_EQ(r.display, "33.3");
    EXPECT_TRUE(r.exact);
    try {
        ApplyParameter(*plugin, ParseParamAssignment("Gain=250"));
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("from 0 to 200"), std::string::npos) << e.what();
    }
}

TEST(Params, UnknownChoicesListTheChoices) {
    HostCallback host;
    auto plugin = PluginInstance::Load(FIXTURE_GAIN, host);
    try {
        ApplyParameter(*plugin, ParseParamAssignment("Invert=Sideways"));
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("(its values: Off, On)"), std::string::npos)
            << e.what();
    }
}

TEST(Params, LeadingNumbers) {
    double v = 0.0;
    int decimals = -1;
    EXPECT_TRUE(LeadingNumber(" 40.25 %", v, &decimals));
    EXPECT_EQ(v, 40.25);
    EXPECT_EQ(decimals, 2);
    EXPECT_TRUE(LeadingNumber("-3", v, &decimals));
    EXPECT_EQ(v, -3.0);
    EXPECT_EQ(decimals, 0);
    EXPECT_FALSE(LeadingNumber("Off", v));
    EXPECT_FALSE(LeadingNumber("", v));
    EXPECT_FALSE(LeadingNumber("inf", v));
}

} // namespace
} // namespace vhost
