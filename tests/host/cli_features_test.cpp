// velmorande-host's JSON output, diff, automation and chains, end to end.
#include "host/json.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fstream>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::contains;
using test::runHostExecutable;

class CliFeatures : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        test::writeAudio(input,
                         test::sine(2, 44100, 44100, 220.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    }
    test::TempDir dir;
    fs::path input;
};

TEST_F(CliFeatures, InfoAsJson) {
    auto r = runHostExecutable({"--info", "--json", "-P", "Gain=25", FIXTURE_GAIN_CHUNKS});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    JsonValue v = parseJson(r.out); // nothing but the document on standard output
    EXPECT_EQ(v.find("effect")->string(), "Fixture Gain");
    EXPECT_EQ(v.find("uniqueId")->string(), "VmFx");
    EXPECT_EQ(v.find("inputs")->number(), 2);
    EXPECT_EQ(v.find("programs")->array().size(), 3u);
    EXPECT_EQ(v.find("flags")->array()[0].string(), "CanReplacing");
    EXPECT_EQ(std::get<bool>(v.find("canDo")->find("receiveVstTimeInfo")->data), true);
    const JsonArray& params = v.find("parameters")->array();
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[0].find("display")->string(), "25.0");
    EXPECT_EQ(params[0].find("unit")->string(), "%");
    EXPECT_EQ(params[0].find("range")->array()[1].string(), "200.0");
    EXPECT_EQ(params[0].find("values"), nullptr); // too many to list
    const JsonArray& choices = params[1].find("values")->array();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1].string(), "On");
    EXPECT_TRUE(contains(r.err, "parameter 0 Gain = 25.0"));
}

TEST_F(CliFeatures, RenderSummaryAsJson) {
    test::writeAudio(dir / "loud.wav",
                     test::sine(2, 44100, 44100, 220.0, 0.75, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    auto r = runHostExecutable({FIXTURE_GAIN, "--json", "-p", "Half", "--encoding", "pcm16", "-P",
                                "Gain=200", (dir / "loud.wav").string(), (dir / "o.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    JsonValue v = parseJson(r.out); // the messages went to standard error
    EXPECT_EQ(v.find("file")->string(), (dir / "o.wav").string());
    EXPECT_EQ(v.find("frames")->number(), 44100);
    EXPECT_EQ(v.find("format")->string(), "WAV, 16-bit PCM");
    EXPECT_NEAR(v.find("input")->find("peakDb")->number(), -2.5, 0.01);
    EXPECT_EQ(v.find("input")->find("nonFinite")->number(), 0);
    EXPECT_NEAR(v.find("output")->find("peakDb")->number(), 3.52, 0.01);
    EXPECT_GT(v.find("output")->find("clipped")->number(), 0);
    EXPECT_GT(v.find("realTimeFactor")->number(), 0);
    EXPECT_EQ(v.find("warnings")->array().size(), 1u);
    EXPECT_TRUE(contains(r.err, "program 1: Half"));
}

TEST_F(CliFeatures, DiffComparesFilesWithATolerance) {
    test::AudioData a = test::readAudio(input);
    test::AudioData b = a;
    b.samples[2 * 1000 + 1] += 0.001; // frame 1000, channel 2
    test::writeAudio(dir / "b.wav", b);
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
        auto r = runHostExecutable(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message << r.err;
        EXPECT_TRUE(contains(r.out + r.err, c.message)) << c.message << "\n" << r.out << r.err;
    }
    auto json = runHostExecutable({"diff", "--json", A, B});
    JsonValue v = parseJson(json.out);
    EXPECT_EQ(v.find("maxFrame")->number(), 1000);
    EXPECT_EQ(v.find("firstDifferentFrame")->number(), 1000);
    EXPECT_EQ(std::get<bool>(v.find("same")->data), false);
}

TEST_F(CliFeatures, AutomationRendersASweep) {
    std::ofstream(dir / "sweep.json")
        << R"({"Gain": {"ramp": "linear", "points": [[0, 0], [1, 200]]}})";
    auto r = runHostExecutable({FIXTURE_GAIN, "-q", "--automate", (dir / "sweep.json").string(),
                                input.string(), (dir / "o.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    test::AudioData in = test::readAudio(input), out = test::readAudio(dir / "o.wav");
    for (std::size_t f : {100u, 11025u, 22050u, 44000u}) {
        const double gain = 2.0 * static_cast<double>(f / 32 * 32) / 44100.0;
        EXPECT_NEAR(out.at(f, 0), gain * in.at(f, 0), 1e-4) << f;
    }
    std::ofstream(dir / "bad.json") << R"({"Gain": {"points": [[0, 500]]}})";
    auto bad = runHostExecutable({FIXTURE_GAIN, "--automate", (dir / "bad.json").string(),
                                  input.string(), (dir / "o2.wav").string()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(contains(bad.err, "bad.json")) << bad.err;
    EXPECT_FALSE(fs::exists(dir / "o2.wav"));
}

TEST_F(CliFeatures, ChainsRunInSeriesWithTheirOwnSettings) {
    const std::string out = (dir / "o.wav").string();
    // Half, then inverted at 50 %: a quarter, negated, on a mono-input second stage.
    auto r = runHostExecutable({FIXTURE_GAIN, "-p", "Half", "--then", FIXTURE_MONO, "-P", "Gain=50",
                                "-P", "Invert=On", "--save", (dir / "second.fxp").string(),
                                input.string(), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "plug-in 2: "));
    EXPECT_TRUE(contains(r.err, "plug-in 2: the 2 input channels are mixed to mono")) << r.err;
    test::AudioData in = test::readAudio(input), o = test::readAudio(out);
    for (std::size_t f : {10u, 500u, 30000u})
        EXPECT_NEAR(o.at(f, 1), -0.25 * 0.5 * (in.at(f, 0) + in.at(f, 1)), 1e-6) << f;
    EXPECT_TRUE(fs::exists(dir / "second.fxp"));
    // Options before --then stay with the first plug-in whatever their place.
    auto swapped = runHostExecutable({"-P", "Gain=50", FIXTURE_GAIN, "--then", FIXTURE_GAIN, "-p",
                                      "2", "-q", input.string(), out});
    ASSERT_EQ(swapped.exitCode, 0) << swapped.err;
    o = test::readAudio(out);
    EXPECT_NEAR(o.at(500, 0), -0.5 * in.at(500, 0), 1e-6);
    EXPECT_EQ(runHostExecutable({FIXTURE_GAIN, "--then"}).exitCode, 2);
    EXPECT_EQ(runHostExecutable({"--info", FIXTURE_GAIN, "--then", FIXTURE_GAIN}).exitCode, 2);
}

} // namespace
} // namespace vhost
