// Programs and parameters by name, number, plain and normalised value, on the fixture effect.
#include "host/command_errors.h"
#include "host/plugin_params.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace vhost {
namespace {

class ParamsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { plugin = PluginInstance::load(GetParam(), host); }
    HostCallback host;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_P(ParamsTest, FindsParametersByNameOrIndex) {
    EXPECT_EQ(findParameter(*plugin, "Gain"), 0);
    EXPECT_EQ(findParameter(*plugin, "  invert "), 1);
    EXPECT_EQ(findParameter(*plugin, "1"), 1);
    EXPECT_THROW(findParameter(*plugin, "2"), HostError);
    EXPECT_THROW(findParameter(*plugin, "99999999999999999999"), HostError);
    try {
        findParameter(*plugin, "Volume");
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        std::string message = e.what();
        EXPECT_NE(message.find("Volume"), std::string::npos);
        EXPECT_NE(message.find("0: Gain"), std::string::npos);
        EXPECT_NE(message.find("1: Invert"), std::string::npos);
    }
}

TEST_P(ParamsTest, PlainNumbersBecomeTheDisplayedValue) {
    ParamOutcome r = applyParameter(*plugin, parseParamAssignment("Gain=50"));
    EXPECT_EQ(r.index, 0);
    EXPECT_EQ(r.display, "50.0");
    EXPECT_EQ(r.label, "%");
    EXPECT_TRUE(r.exact);
    EXPECT_NEAR(plugin->getParameter(0), 0.25f, 1e-4);

    r = applyParameter(*plugin, parseParamAssignment("gain=137.5"));
    EXPECT_EQ(r.display, "137.5");
    EXPECT_TRUE(r.exact);
}

TEST_P(ParamsTest, ChoiceTextsAreMatchedWithoutCase) {
    ParamOutcome r = applyParameter(*plugin, parseParamAssignment("Invert=on"));
    EXPECT_EQ(r.display, "On");
    EXPECT_GE(plugin->getParameter(1), 0.5f);
    r = applyParameter(*plugin, parseParamAssignment("1=OFF"));
    EXPECT_EQ(r.display, "Off");
    EXPECT_LT(plugin->getParameter(1), 0.5f);
}

TEST_P(ParamsTest, NormalisedValuesGoStraightIn) {
    ParamOutcome r = applyParameter(*plugin, parseParamAssignment("0=0.75n"));
    EXPECT_EQ(plugin->getParameter(0), 0.75f);
    EXPECT_EQ(r.display, "150.0");
    EXPECT_EQ(r.normalized, 0.75f);
}

TEST_P(ParamsTest, ValuesNoSettingShowsAreRefusedAndTheValueKept) {
    applyParameter(*plugin, parseParamAssignment("Gain=20"));
    const float before = plugin->getParameter(0);
    EXPECT_THROW(applyParameter(*plugin, parseParamAssignment("Invert=Sideways")), HostError);
    EXPECT_THROW(applyParameter(*plugin, parseParamAssignment("Gain=loud")), HostError);
    EXPECT_EQ(plugin->getParameter(0), before);
}

TEST_P(ParamsTest, FindsProgramsByNumberOrName) {
    EXPECT_EQ(findProgram(*plugin, "2"), 2);
    EXPECT_EQ(findProgram(*plugin, "half"), 1);
    EXPECT_EQ(findProgram(*plugin, " Inverted "), 2);
    EXPECT_THROW(findProgram(*plugin, "3"), HostError);
    EXPECT_THROW(findProgram(*plugin, "Loud"), HostError);
    // Looking names up leaves the current program alone.
    EXPECT_EQ(plugin->currentProgram(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ParamsTest, ::testing::Values(FIXTURE_GAIN, FIXTURE_LEGACY));

TEST(Params, ValuesBeyondTheRangeAreRefusedPlainOrNormalised) {
    HostCallback host;
    auto plugin = PluginInstance::load(FIXTURE_GAIN, host);
    const float before = plugin->getParameter(0);
    for (const char* text : {"Gain=250", "Gain=-1", "Gain=1.5n", "Gain=-0.1n"}) {
        try {
            applyParameter(*plugin, parseParamAssignment(text));
            ADD_FAILURE() << text << " was taken";
        } catch (const UsageError&) {
            ADD_FAILURE() << text << " is a value error, not a usage error";
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find("outside"), std::string::npos) << e.what();
        }
        EXPECT_EQ(plugin->getParameter(0), before) << text;
    }
    // The ends themselves are in range.
    EXPECT_TRUE(applyParameter(*plugin, parseParamAssignment("Gain=200")).exact);
    EXPECT_TRUE(applyParameter(*plugin, parseParamAssignment("Gain=0")).exact);
}

TEST(Params, WithoutTextSupportTheRangeIsSearched) {
    HostCallback host;
    auto plugin = PluginInstance::load(FIXTURE_LEGACY, host);
    ParamOutcome r = applyParameter(*plugin, parseParamAssignment("Gain=33.3"));
    EXPECT_EQ(r.method, "search");
    EXPECT_EQ(r.display, "33.3");
    EXPECT_TRUE(r.exact);
    try {
        applyParameter(*plugin, parseParamAssignment("Gain=250"));
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("from 0 to 200"), std::string::npos) << e.what();
    }
}

TEST(Params, UnknownChoicesListTheChoices) {
    HostCallback host;
    auto plugin = PluginInstance::load(FIXTURE_GAIN, host);
    try {
        applyParameter(*plugin, parseParamAssignment("Invert=Sideways"));
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("(its values: Off, On)"), std::string::npos)
            << e.what();
    }
}

TEST(Params, LeadingNumbers) {
    double v = 0.0;
    int decimals = -1;
    EXPECT_TRUE(leadingNumber(" 40.25 %", v, &decimals));
    EXPECT_EQ(v, 40.25);
    EXPECT_EQ(decimals, 2);
    EXPECT_TRUE(leadingNumber("-3", v, &decimals));
    EXPECT_EQ(v, -3.0);
    EXPECT_EQ(decimals, 0);
    EXPECT_FALSE(leadingNumber("Off", v));
    EXPECT_FALSE(leadingNumber("", v));
    EXPECT_FALSE(leadingNumber("inf", v));
}

} // namespace
} // namespace vhost
