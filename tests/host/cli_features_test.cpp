// velmorande-host's JSON output, diff, automation and chains, end to end.
#include "host/json.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fstream>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::RunHostExecutable;

class CliFeatures : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        test::WriteAudio(input,
                         test::Sine(2, 44100, 44100, 220.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    }
    test::TempDir dir;
    fs::path input;
};

TEST_F(CliFeatures, InfoAsJson) {
    auto r = RunHostExecutable({"--info", "--json", "-P", "Gain=25", FIXTURE_GAIN_CHUNKS});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    JsonValue v = ParseJson(r.out); // nothing but the document on standard output
    EXPECT_EQ(v.Find("effect")->String(), "Fixture Gain");
    EXPECT_EQ(v.Find("uniqueId")->String(), "VmFx");
    EXPECT_EQ(v.Find("inputs")->Number(), 2);
    EXPECT_EQ(v.Find("programs")->Array().size(), 3u);
    EXPECT_EQ(v.Find("flags")->Array()[0].String(), "CanReplacing");
    EXPECT_EQ(std::get<bool>(v.Find("canDo")->Find("receiveVstTimeInfo")->data), true);
    const JsonArray& params = v.Find("parameters")->Array();
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[0].Find("display")->String(), "25.0");
    EXPECT_EQ(params[0].Find("unit")->String(), "%");
    EXPECT_EQ(params[0].Find("range")->Array()[1].String(), "200.0");
    EXPECT_EQ(params[0].Find("values"), nullptr); // too many to list
    const JsonArray& choices = params[1].Find("values")->Array();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1].String(), "On");
    EXPECT_TRUE(Contains(r.err, "parameter 0 Gain = 25.0"));
}

TEST_F(CliFeatures, RenderSummaryAsJson) {
    test::WriteAudio(dir / "loud.wav",
                     test::Sine(2, 44100, 44100, 220.0, 0.75, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    auto r = RunHostExecutable({FIXTURE_GAIN, "--json", "-p", "Half", "--encoding", "pcm16", "-P",
                                "Gain=200", (dir / "loud.wav").string(), (dir / "o.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    JsonValue v = ParseJson(r.out); // the messages went to standard error
    EXPECT_EQ(v.Find("file")->String(), (dir / "o.wav").string());
    EXPECT_EQ(v.Find("frames")->Number(), 44100);
    EXPECT_EQ(v.Find("format")->String(), "WAV, 16-bit PCM");
    EXPECT_NEAR(v.Find("input")->Find("peakDb")->Number(), -2.5, 0.01);
    EXPECT_EQ(v.Find("input")->Find("nonFinite")->Number(), 0);
    EXPECT_NEAR(v.Find("output")->Find("peakDb")->Number(), 3.52, 0.01);
    EXPECT_GT(v.Find("output")->Find("clipped")->Number(), 0);
    EXPECT_GT(v.Find("realTimeFactor")->Number(), 0);
    EXPECT_EQ(v.Find("warnings")->Array().size(), 1u);
    EXPECT_TRUE(Contains(r.err, "program 1: Half"));
}

TEST_F(CliFeatures, DiffComparesFilesWithATolerance) {
    test::AudioData a = test::ReadAudio(input);
    test::AudioData b = a;
    b.samples[2 * 1000 + 1] += 0.001; // frame 1000, channel 2
    test::WriteAudio(dir / "b.wav", b);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const std::string A = input.string(), B = (dir / "b.wav").string();
    for (const Case& c : std::vector<Case>{
             {{"diff", A, A}, 0, "same within the tolerance"},
             {{"diff", A, B}, 1, "at frame 1000, channel 2"},
             {{"diff", A, B, "--tolerance", "0.01"}, 0, "first frame beyond tolerance 0.01: none"},
             {{"diff", A, B, "-T", "-50dB"}, 0, "same"},
             {{"diff", A, B, "--tolerance=-70dB"}, 1, "first frame beyond tolerance"},
             {{"diff", A}, 2, "two audio files"},
             {{"diff", A, B, "--tolerance", "loud"}, 2, "needs a number"},
             {{"diff", A, (dir / "none.wav").string()}, 1, "cannot read"},
         }) {
        auto r = RunHostExecutable(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message << r.err;
        EXPECT_TRUE(Contains(r.out + r.err, c.message)) << c.message << "\n" << r.out << r.err;
    }
    auto json = RunHostExecutable({"diff", "--json", A, B});
    JsonValue v = ParseJson(json.out);
    EXPECT_EQ(v.Find("maxFrame")->Number(), 1000);
    EXPECT_EQ(v.Find("firstDifferentFrame")->Number(), 1000);
    EXPECT_EQ(std::get<bool>(v.Find("same")->data), false);
}

TEST_F(CliFeatures, AutomationRendersASweep) {
    std::ofstream(dir / "sweep.json")
        << R"({"Gain": {"ramp": "linear", "points": [[0, 0], [1, 200]]}})";
    auto r = RunHostExecutable({FIXTURE_GAIN, "-q", "--automate", (dir / "sweep.json").string(),
                                input.string(), (dir / "o.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    test::AudioData in = test::ReadAudio(input), out = test::ReadAudio(dir / "o.wav");
    for (std::size_t f : {100u, 11025u, 22050u, 44000u}) {
        const double gain = 2.0 * static_cast<double>(f / 32 * 32) / 44100.0;
        EXPECT_NEAR(out.At(f, 0), gain * in.At(f, 0), 1e-4) << f;
    }
    std::ofstream(dir / "bad.json") << R"({"Gain": {"points": [[0, 500]]}})";
    auto bad = RunHostExecutable({FIXTURE_GAIN, "--automate", (dir / "bad.json").string(),
                                  input.string(), (dir / "o2.wav").string()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(Contains(bad.err, "bad.json")) << bad.err;
    EXPECT_FALSE(fs::exists(dir / "o2.wav"));
}

TEST_F(CliFeatures, ChainsRunInSeriesWithTheirOwnSettings) {
    const std::string out = (dir / "o.wav").string();
    // Half, then inverted at 50 %: a quarter, negated, on a mono-input second stage.
    auto r = RunHostExecutable({FIXTURE_GAIN, "-p", "Half", "--then", FIXTURE_MONO, "-P", "Gain=50",
                                "-P", "Invert=On", "--save", (dir / "second.fxp").string(),
                                input.string(), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "plug-in 2: "));
    EXPECT_TRUE(Contains(r.err, "plug-in 2: the 2 input channels are mixed to mono")) << r.err;
    test::AudioData in = test::ReadAudio(input), o = test::ReadAudio(out);
    for (std::size_t f : {10u, 500u, 30000u})
        EXPECT_NEAR(o.At(f, 1), -0.25 * 0.5 * (in.At(f, 0) + in.At(f, 1)), 1e-6) << f;
    EXPECT_TRUE(fs::exists(dir / "second.fxp"));
    // Options before --then stay with the first plug-in whatever their place.
    auto swapped = RunHostExecutable({"-P", "Gain=50", FIXTURE_GAIN, "--then", FIXTURE_GAIN, "-p",
                                      "2", "-q", input.string(), out});
    ASSERT_EQ(swapped.exitCode, 0) << swapped.err;
    o = test::ReadAudio(out);
    EXPECT_NEAR(o.At(500, 0), -0.5 * in.At(500, 0), 1e-6);
    EXPECT_EQ(RunHostExecutable({FIXTURE_GAIN, "--then"}).exitCode, 2);
    EXPECT_EQ(RunHostExecutable({"--info", FIXTURE_GAIN, "--then", FIXTURE_GAIN}).exitCode, 2);
}

} // namespace
} // namespace vhost
