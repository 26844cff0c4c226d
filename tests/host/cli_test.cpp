// The velmorande-host executable end to end: exit codes, messages and files.
#include "host/fx_file.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fstream>

namespace vhost {
namespace {

using test::Contains;
using test::RunHostExecutable;

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        test::WriteAudio(
            input, test::Sine(2, 44100, 44100 / 2, 220.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_PCM_24));
    }
    test::TempDir dir;
    std::filesystem::path input;
};

TEST_F(Cli, HelpAndVersion) {
    auto help = RunHostExecutable({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "Usage:"));
    auto version = RunHostExecutable({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(Contains(version.out, "velmorande-host"));
    EXPECT_TRUE(Contains(version.out, "libsndfile"));
}

TEST_F(Cli, RendersAFileAndSummarises) {
    auto r = RunHostExecutable(
        {FIXTURE_GAIN, "-p", "Half", "--tail", "0.25", input.string(), (dir / "out.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err; // no progress bar when stderr is a file
    EXPECT_TRUE(Contains(r.out, "program 1: Half"));
    EXPECT_TRUE(Contains(r.out, "rendered 0.750 s"));
    EXPECT_TRUE(Contains(r.out, "input:  peak -6.02 dBFS"));
    EXPECT_TRUE(Contains(r.out, "output: peak -12.04 dBFS")); // "Half" halves the level
    EXPECT_TRUE(Contains(r.out, "real time"));
    test::AudioData out = test::ReadAudio(dir / "out.wav");
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24); // as the input
    EXPECT_EQ(out.Frames(), 44100u * 3 / 4);
    EXPECT_EQ(out.channels, 2);
}

TEST_F(Cli, ParametersRateAndFloatOutput) {
    auto r = RunHostExecutable({FIXTURE_GAIN, "-P", "Gain=50", "-P", "invert=On", "--float", "-r",
                                "22050", "-q", input.string(), (dir / "out.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    test::AudioData in = test::ReadAudio(input);
    test::AudioData out = test::ReadAudio(dir / "out.wav");
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(out.sampleRate, 22050);
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (std::size_t i = 0; i < in.samples.size(); i += 97)
        EXPECT_NEAR(out.samples[i], -0.5 * in.samples[i], 1e-6) << i;
}

TEST_F(Cli, MonoFilesComeOutWithThePlugInsChannels) {
    test::WriteAudio(dir / "mono.flac",
                     test::Sine(1, 32000, 3200, 100.0, 0.5, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
    auto r = RunHostExecutable(
        {FIXTURE_GAIN, "-q", (dir / "mono.flac").string(), (dir / "out.flac").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    test::AudioData out = test::ReadAudio(dir / "out.flac");
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    for (std::size_t f = 0; f < out.Frames(); ++f)
        ASSERT_EQ(out.At(f, 0), out.At(f, 1)) << f;
}

TEST_F(Cli, DoublePrecisionAndOldPlugIns) {
    auto dbl = RunHostExecutable(
        {FIXTURE_GAIN, "--precision", "double", input.string(), (dir / "d.wav").string()});
    EXPECT_EQ(dbl.exitCode, 0) << dbl.err;
    EXPECT_TRUE(Contains(dbl.out, "processDoubleReplacing"));
    auto old = RunHostExecutable({FIXTURE_LEGACY, input.string(), (dir / "o.wav").string()});
    EXPECT_EQ(old.exitCode, 0) << old.err;
    EXPECT_TRUE(Contains(old.out, ", process\n"));
    auto refused = RunHostExecutable(
        {FIXTURE_LEGACY, "--precision", "double", input.string(), (dir / "r.wav").string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(Contains(refused.err, "double precision"));
    EXPECT_FALSE(std::filesystem::exists(dir / "r.wav"));
}

TEST_F(Cli, StateFilesRoundTrip) {
    auto save =
        RunHostExecutable({FIXTURE_GAIN, "-P", "Gain=25", "--save", (dir / "s.fxb").string()});
    ASSERT_EQ(save.exitCode, 0) << save.err;
    EXPECT_TRUE(Contains(save.out, "saved bank"));
    FxBank bank = DecodeBank(ReadBinaryFile(dir / "s.fxb"));
    ASSERT_EQ(bank.programs.size(), 3u);
    EXPECT_NEAR(bank.programs[0].params[0], 0.125f, 1e-6);
    auto info = RunHostExecutable({"--info", "--load", (dir / "s.fxb").string(), FIXTURE_GAIN});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(Contains(info.out, "25.0"));
}

TEST_F(Cli, InfoListsEverything) {
    auto r = RunHostExecutable({"--info", FIXTURE_GAIN_CHUNKS});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* part :
         {"Fixture Gain", "Velmorande Tests", "'VmFx'", "2 in, 2 out", "ProgramChunks",
          "CanDoubleReplacing", "receiveVstTimeInfo    yes", "Programs (3, current 0)", "Inverted",
          "Gain", "100.0", "Invert", "Off"})
        EXPECT_TRUE(Contains(r.out, part)) << part << "\n" << r.out;
}

TEST_F(Cli, DemoWritesBothFiles) {
    auto r = RunHostExecutable({"--demo", (dir / "demo").string(), FIXTURE_GAIN});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "program 1: Half"));
    EXPECT_TRUE(Contains(r.out, "demo-input.wav"));
    EXPECT_TRUE(Contains(r.out, "demo-output.wav"));
    test::AudioData in = test::ReadAudio(dir / "demo" / "demo-input.wav");
    test::AudioData out = test::ReadAudio(dir / "demo" / "demo-output.wav");
    EXPECT_EQ(in.sampleRate, 44100);
    EXPECT_EQ(in.channels, 2);
    EXPECT_EQ(in.Frames(), 4u * 44100);
    EXPECT_EQ(out.Frames(), 6u * 44100); // two seconds of tail
    EXPECT_NEAR(out.At(1000, 0), 0.5 * in.At(1000, 0), 1e-6);
}

TEST_F(Cli, ErrorsExitNonZeroWithAMessage) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const std::string out = (dir / "out.wav").string();
    std::ofstream(dir / "fake.so") << "not a library";
    std::ofstream(dir / "noise.wav") << "RIFF but not really";
    for (const Case& c : std::vector<Case>{
             {{(dir / "missing.so").string(), input.string(), out}, 1, "not found"},
             {{(dir / "fake.so").string(), input.string(), out}, 1, "cannot load"},
             {{FIXTURE_NOT_A_PLUGIN, input.string(), out}, 1, "not a VST 2.x plug-in"},
             {{FIXTURE_NULL_ENTRY, input.string(), out}, 1, "returned no effect"},
             {{FIXTURE_GAIN, (dir / "missing.wav").string(), out}, 1, "cannot read audio"},
             {{FIXTURE_GAIN, (dir / "noise.wav").string(), out}, 1, "cannot read audio"},
             {{FIXTURE_GAIN, "-P", "Volume=3", input.string(), out}, 1, "unknown parameter"},
             {{FIXTURE_GAIN, "-P", "Invert=maybe", input.string(), out}, 1, "cannot show"},
             {{FIXTURE_GAIN, "-p", "3", input.string(), out}, 1, "out of range"},
             {{FIXTURE_GAIN, "-p", "Loud", input.string(), out}, 1, "unknown program"},
             {{FIXTURE_GAIN, "--load", (dir / "noise.wav").string(), input.string(), out},
              1,
              "not an .fxp/.fxb file"},
             {{FIXTURE_GAIN, "--format", "flac", "--float", input.string(), out}, 2, "cannot hold"},
             {{FIXTURE_GAIN, input.string()}, 2, "OUTPUT"},
             {{"--tempo", "-5", FIXTURE_GAIN, input.string(), out}, 2, "--tempo"},
             {{FIXTURE_GAIN, input.string(), (dir / "no" / "dir.wav").string()},
              1,
              "does not exist"},
         }) {
        auto r = RunHostExecutable(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, c.message)) << c.message << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, "velmorande-host: ")) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.message;
    }
    // Nothing was left behind, not even temporary files.
    auto files = dir.Files();
    EXPECT_EQ(files, (std::vector<std::string>{"fake.so", "in.wav", "noise.wav"}));
}

TEST_F(Cli, AnInterruptedRenderWritesNothing) {
    // Ten minutes of tail in one-frame blocks: still running when the signal comes.
    const auto script = dir / "interrupt.sh";
    std::ofstream(script) << "'" << HOST_EXECUTABLE << "' '" << FIXTURE_GAIN
                          << "' -b 1 --tail 600 '" << input.string() << "' '"
                          << (dir / "out.wav").string() << "' >'" << (dir / "stdout.txt").string()
                          << "' 2>'" << (dir / "err.txt").string() << "' &\n"
                          << "pid=$!\nsleep 1\nkill -TERM $pid\nwait $pid\necho $? >'"
                          << (dir / "status.txt").string() << "'\n";
    ASSERT_EQ(std::system(("sh '" + script.string() + "'").c_str()), 0);
    std::ifstream status(dir / "status.txt");
    int code = -1;
    status >> code;
    EXPECT_EQ(code, 130);
    std::ifstream err(dir / "err.txt");
    std::string message((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(Contains(message, "interrupted")) << message;
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"err.txt", "in.wav", "interrupt.sh",
                                                     "status.txt", "stdout.txt"}));
}

TEST_F(Cli, AFailedRenderKeepsTheOldOutput) {
    std::ofstream(dir / "out.wav") << "previous";
    auto r = RunHostExecutable(
        {FIXTURE_LEGACY, "--precision", "double", input.string(), (dir / "out.wav").string()});
    EXPECT_EQ(r.exitCode, 1);
    std::ifstream in(dir / "out.wav");
    std::string contents;
    std::getline(in, contents);
    EXPECT_EQ(contents, "previous");
}

} // namespace
} // namespace vhost
