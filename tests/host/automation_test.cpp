// Parameter automation: reading the file, the values between keyframes, and a render whose
// gain changes on the exact frame. Also the time signature the plug-in is told.
#include "host/automation.h"
#include "host/command_errors.h"
#include "host/renderer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vhost {
namespace {

constexpr double kRate = 44100.0;

struct Fixture {
    Fixture() : plugin(PluginInstance::Load(FIXTURE_GAIN, host)) {}
    HostCallback host;
    std::unique_ptr<PluginInstance> plugin;
};

TEST(Automation, KeyframesInSecondsOrBeatsWithPlainOrNormalisedValues) {
    Fixture f;
    Automation a = ParseAutomation(*f.plugin, R"({
        "Gain": {"ramp": "linear", "points": [[1, "0.5n"], [0, 50], [2, "200"]]},
        "1": {"unit": "beats", "points": [[4, "On"], [0, "Off"]]}
    })",
                                   kRate, 120.0);
    ASSERT_EQ(a.Lanes().size(), 2u);
    const AutomationLane& gain = a.Lanes()[0];
    EXPECT_TRUE(gain.linear);
    ASSERT_EQ(gain.keys.size(), 3u); // sorted by time
    EXPECT_EQ(gain.keys[0].frame, 0);
    EXPECT_FLOAT_EQ(gain.keys[0].value, 0.25f); // 50 on a 0..200 range
    EXPECT_EQ(gain.keys[1].frame, 44100);
    EXPECT_FLOAT_EQ(gain.keys[2].value, 1.0f);
    const AutomationLane& invert = a.Lanes()[1];
    EXPECT_FALSE(invert.linear);
    EXPECT_EQ(invert.index, 1);
    EXPECT_EQ(invert.keys[1].frame, 88200); // four beats at 120 BPM
    EXPECT_GE(invert.keys[1].value, 0.5f);
    // Converting the plain values left the parameters alone.
    EXPECT_EQ(f.plugin->GetParameter(0), 0.5f);
    EXPECT_EQ(f.plugin->GetParameter(1), 0.0f);
}

TEST(Automation, ValuesAndChangePoints) {
    AutomationLane step{0, false, {{100, 0.2f}, {200, 0.8f}}};
    AutomationLane ramp{1, true, {{100, 0.0f}, {164, 1.0f}}};
    struct Case {
        std::int64_t frame;
        float step, ramp;
        std::int64_t next;
    };
    Automation a({step, ramp});
    for (const Case& c :
         {Case{0, 0.2f, 0.0f, 100}, Case{99, 0.2f, 0.0f, 100}, Case{100, 0.2f, 0.0f, 132},
          Case{131, 0.2f, 31.0f / 64, 132}, Case{132, 0.2f, 0.5f, 164}, Case{164, 0.2f, 1.0f, 200},
          Case{200, 0.8f, 1.0f, INT64_MAX}, Case{5000, 0.8f, 1.0f, INT64_MAX}}) {
        EXPECT_FLOAT_EQ(Automation::ValueAt(a.Lanes()[0], c.frame), c.step) << c.frame;
        EXPECT_FLOAT_EQ(Automation::ValueAt(a.Lanes()[1], c.frame), c.ramp) << c.frame;
        EXPECT_EQ(a.NextChange(c.frame), c.next) << c.frame;
    }
}

TEST(Automation, MalformedFilesAreRefused) {
    Fixture f;
    for (const char* text :
         {"[]", R"({"Volume": {"points": [[0, 1]]}})", R"({"Gain": [[0, 1]]})",
          R"({"Gain": {"points": []}})", R"({"Gain": {"points": [[0]]}})",
          R"({"Gain": {"points": [["0", 1]]}})", R"({"Gain": {"points": [[-1, 1]]}})",
          R"({"Gain": {"points": [[0, true]]}})", R"({"Gain": {"points": [[0, "loud"]]}})",
          R"({"Gain": {"points": [[0, "2n"]]}})", R"({"Gain": {"points": [[0, 999]]}})",
          R"({"Gain": {"ramp": "cubic", "points": [[0, 1]]}})",
          R"({"Gain": {"unit": "bars", "points": [[0, 1]]}})", R"({"Gain": {"pionts": [[0, 1]]}})",
          R"({"Gain": {"points": [[0, 1]]})"})
        EXPECT_THROW(ParseAutomation(*f.plugin, text, kRate, 120.0), HostError) << text;
}

TEST(Automation, EachParameterOnceAndEveryFaultNamedWhereItIs) {
    Fixture f;
    struct Case {
        const char* text;
        const char* message;
    };
    for (const Case& c : std::vector<Case>{
             {R"({"Gain": {"points": [[0, 1]]}, "Gain": {"points": [[1, 2]]}})",
              "the keys \"Gain\" and \"Gain\" both name parameter 0 (Gain)"},
             {R"({"1": {"points": [[0, "On"]]}, "invert": {"points": [[1, "Off"]]}})",
              "the keys \"1\" and \"invert\" both name parameter 1 (Invert)"},
             {R"({"Gain": {"points": [[0, 1], [1, "nan"]]}})",
              "automation of 'Gain': point 2: nan is not a decimal number"},
             {R"({"Gain": {"points": [[0, "0x10"]]}})",
              "automation of 'Gain': point 1: 0x10 is not a decimal number"},
             {R"({"Invert": {"points": [[0, 1]]}})",
              "automation of 'Invert': point 1: parameter 'Invert' shows texts"},
             {R"({"Gain": {"points": [[0, 1], [-2, 1]]}})", "'Gain': point 2: the time"},
         }) {
        try {
            ParseAutomation(*f.plugin, c.text, kRate, 120.0);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find("--param"), std::string::npos) << e.what();
        }
    }
}

TEST(Automation, AFileMayStartWithAByteOrderMark) {
    Fixture f;
    test::TempDir dir;
    const std::string text = "\xEF\xBB\xBF{\"Gain\": {\"points\": [[0, 100]]}}";
    test::WriteBytes(dir / "bom.json",
                     {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    const Automation a = LoadAutomation(*f.plugin, dir / "bom.json", kRate, 120.0);
    ASSERT_EQ(a.Lanes().size(), 1u);
    EXPECT_FLOAT_EQ(a.Lanes()[0].keys[0].value, 0.5f);
}

TEST(Automation, ChangesLandOnTheirFrameInsideBlocks) {
    Fixture f;
    // A step from unity to half gain at 0.01 s (frame 441, inside the first 512 frames),
    // then a linear ramp back to unity between frames 1000 and 1640.
    Automation a = ParseAutomation(*f.plugin, R"({
        "Gain": {"points": [[0, 100], [0.01, 50]]},
        "Invert": {"points": [[0, "Off"]]}
    })",
                                   kRate, 120.0);
    MemorySource source(std::vector<double>(2 * 2048, 0.5), 2, kRate);
    MemorySink sink;
    sink.SetChannels(2);
    RenderSettings settings;
    settings.sampleRate = kRate;
    settings.blockSize = 512;
    Automation* automation = &a;
    Render({{f.plugin.get(), automation}}, source, sink, settings);
    const auto& out = sink.Samples();
    EXPECT_EQ(out[2 * 440], 0.5);
    EXPECT_EQ(out[2 * 441], 0.25);
    EXPECT_EQ(out[2 * 2047 + 1], 0.25);

    Automation ramp = ParseAutomation(*f.plugin, R"({
        "Gain": {"ramp": "linear", "points": [[0, "0n"], [0.0145124716553288, "1n"]]}
    })",
                                      kRate, 120.0); // 640 frames
    MemorySource again(std::vector<double>(2 * 1024, 0.5), 2, kRate);
    MemorySink rampSink;
    rampSink.SetChannels(2);
    Render({{f.plugin.get(), &ramp}}, again, rampSink, settings);
    for (int frame = 0; frame < 1024; ++frame) {
        const int start = std::min(frame / 32 * 32, 640);
        // Gain 2 * value; the value holds from the start of each 32-frame step.
        const double expected = 0.5 * 2.0 * static_cast<float>(start / 640.0);
        EXPECT_NEAR(rampSink.Samples()[2 * static_cast<std::size_t>(frame)], expected, 1e-6)
            << frame;
    }
}

TEST(Automation, TheTimeSignatureReachesThePlugIn) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    Fixture f;
    f.host.SetTimeSignature(7, 8);
    MemorySource source(std::vector<double>(2 * 64, 0.5), 2, kRate);
    MemorySink sink;
    sink.SetChannels(2);
    RenderSettings settings;
    settings.sampleRate = kRate;
    Render(*f.plugin, source, sink, settings);
    EXPECT_EQ(fixture.Trace().timeSigNumerator, 7);
    EXPECT_EQ(fixture.Trace().timeSigDenominator, 8);
    // Bars of 3.5 quarter notes: at 120 BPM, 2 s is quarter note 4, in the bar from 3.5.
    f.host.SetPosition(88200, true);
    EXPECT_EQ(f.host.TimeInfo().barStartPos, 3.5);
    f.host.SetTimeSignature(3, 4);
    EXPECT_EQ(f.host.TimeInfo().barStartPos, 3.0);
}

} // namespace
} // namespace vhost
