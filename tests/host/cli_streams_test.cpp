// velmorande-host on its standard streams: every command's standard output checked to the
// last byte, what a plug-in prints kept out of the host's data, and INPUT "-" from a pipe
// read as the same file would be, in every container.
#include "host/json.h"
#include "test_support.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <fstream>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::RunHostExecutable;
using test::SameAudio;
using test::Shell;
using test::ShellQuoted;
using test::Slurp;

class CliStreams : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        // A second of audio: more than a pipe holds, so a reader that leaves is noticed.
        test::WriteAudio(input,
                         test::Sine(2, 44100, 44100, 330.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    }
    test::TempDir dir;
    fs::path input;
};

TEST_F(CliStreams, AFailedWriteOnStandardOutputFailsEveryCommand) {
    const std::string in = input.string();
    const std::vector<std::vector<std::string>> commands = {
        {FIXTURE_GAIN, in, "-"},
        {FIXTURE_GAIN, "--json", in, (dir / "out.wav").string()},
        {"--info", FIXTURE_GAIN},
        {"--info", "--json", FIXTURE_GAIN},
        {"diff", in, in},
        {"validate", "--help"},
        {"--help"},
        {"--version"},
    };
    // A full disk: a device node of the kind /dev/full is, made here.
    const fs::path full = dir / "full";
    if (geteuid() == 0) {
        ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    }
    for (const auto& args : commands) {
        std::string command;
        for (const auto& a : args)
            command += ' ' + ShellQuoted(a);
        if (fs::exists(full)) {
            const int rc = Shell(ShellQuoted(HOST_EXECUTABLE) + command + " > " +
                                 ShellQuoted(full) + " 2> " + ShellQuoted(dir / "err"));
            EXPECT_EQ(rc, 1) << command;
            EXPECT_TRUE(Contains(Slurp(dir / "err"),
                                 "cannot write standard output: No space left on device"))
                << command << ": " << Slurp(dir / "err");
            EXPECT_FALSE(Contains(Slurp(dir / "err"), "wrote standard output")) << command;
        }
    }
    // A reader that goes away: the rest of the audio has nowhere to go.
    Shell("(" + ShellQuoted(HOST_EXECUTABLE) + " " + ShellQuoted(FIXTURE_GAIN) + " " +
          ShellQuoted(input) + " - 2> " + ShellQuoted(dir / "err") + "; echo $? > " +
          ShellQuoted(dir / "rc") + ") | head -c 1 > " + ShellQuoted(dir / "head"));
    EXPECT_EQ(Slurp(dir / "rc"), "1\n") << Slurp(dir / "err");
    EXPECT_TRUE(Contains(Slurp(dir / "err"), "cannot write standard output: Broken pipe"))
        << Slurp(dir / "err");
    EXPECT_FALSE(Contains(Slurp(dir / "err"), "wrote standard output"));
    // The output file of the --json render was still written: only its summary failed.
    EXPECT_EQ(fs::exists(dir / "out.wav"), fs::exists(full));
    // Closed altogether.
    EXPECT_EQ(Shell(ShellQuoted(HOST_EXECUTABLE) + " --help >&- 2> " + ShellQuoted(dir / "err")),
              1);
    EXPECT_TRUE(Contains(Slurp(dir / "err"), "cannot write standard output")) << Slurp(dir / "err");
}

TEST_F(CliStreams, WhatAPlugInPrintsStaysOutOfTheHostsData) {
    auto ref =
        RunHostExecutable({FIXTURE_FAULTY, "-q", input.string(), (dir / "ref.wav").string()});
    ASSERT_EQ(ref.exitCode, 0) << ref.err;
    const fs::path captured = dir / "stdout.wav";
    const std::string host =
        "FIXTURE_FAULT=print " + ShellQuoted(HOST_EXECUTABLE) + " " + ShellQuoted(FIXTURE_FAULTY);
    ASSERT_EQ(Shell(host + " " + ShellQuoted(input) + " - > " + ShellQuoted(captured) + " 2> " +
                    ShellQuoted(dir / "err")),
              0)
        << Slurp(dir / "err");
    EXPECT_EQ(Slurp(captured).substr(0, 4), "RIFF");
    EXPECT_TRUE(SameAudio(captured, dir / "ref.wav"));
    // The chatter went to standard error, from the loader, effOpen and the audio callback.
    for (const char* from : {"VSTPluginMain", "effOpen", "processReplacing"})
        EXPECT_TRUE(Contains(Slurp(dir / "err"), std::string("raw bytes from ") + from))
            << Slurp(dir / "err");
    EXPECT_TRUE(Contains(Slurp(dir / "err"), "wrote standard output"));

    ASSERT_EQ(Shell("FIXTURE_FAULT=print " + ShellQuoted(HOST_EXECUTABLE) + " --info --json " +
                    ShellQuoted(FIXTURE_FAULTY) + " > " + ShellQuoted(dir / "info.json") + " 2> " +
                    ShellQuoted(dir / "err")),
              0);
    EXPECT_NO_THROW(ParseJson(Slurp(dir / "info.json"))) << Slurp(dir / "info.json");
    EXPECT_TRUE(Contains(Slurp(dir / "err"), "hello from effOpen"));
}

TEST_F(CliStreams, DashIsStandardInputAndOutput) {
    auto ref = RunHostExecutable({FIXTURE_GAIN, "-q", input.string(), (dir / "ref.wav").string()});
    ASSERT_EQ(ref.exitCode, 0) << ref.err;
    const fs::path captured = dir / "stdout.wav";
    ASSERT_EQ(Shell(ShellQuoted(HOST_EXECUTABLE) + " " + ShellQuoted(FIXTURE_GAIN) + " - - < " +
                    ShellQuoted(input) + " > " + ShellQuoted(captured) + " 2> " +
                    ShellQuoted(dir / "err")),
              0)
        << Slurp(dir / "err");
    EXPECT_TRUE(SameAudio(captured, dir / "ref.wav"));
    // The summary went to standard error, out of the audio's way.
    EXPECT_TRUE(Contains(Slurp(dir / "err"), "wrote standard output"));
    EXPECT_FALSE(fs::exists(dir / "-"));
    // Through a pipe, which cannot seek back to finish a header.
    ASSERT_EQ(Shell(ShellQuoted(HOST_EXECUTABLE) + " -q " + ShellQuoted(FIXTURE_GAIN) + " " +
                    ShellQuoted(input) + " - | cat > " + ShellQuoted(dir / "piped.wav")),
              0);
    EXPECT_TRUE(SameAudio(dir / "piped.wav", dir / "ref.wav"));
}

// INPUT "-" from a pipe reads as the same file does, whatever the container needs to seek.
class PipedInput : public ::testing::TestWithParam<int> {};

TEST_P(PipedInput, ReadsAsTheFileDoes) {
    test::TempDir dir;
    const int format = GetParam();
    const fs::path file = dir / "in.audio";
    test::WriteAudio(file, test::Sine(2, 44100, 44100, 440.0, 0.5, format));
    auto direct = RunHostExecutable(
        {FIXTURE_GAIN, "-q", "--format", "wav", file.string(), (dir / "direct.wav").string()});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    ASSERT_EQ(Shell("cat " + ShellQuoted(file) + " | " + ShellQuoted(HOST_EXECUTABLE) + " -q " +
                    ShellQuoted(FIXTURE_GAIN) + " --format wav - " +
                    ShellQuoted(dir / "piped.wav") + " 2> " + ShellQuoted(dir / "err")),
              0)
        << Slurp(dir / "err");
    EXPECT_EQ(Slurp(dir / "err"), "");
    EXPECT_TRUE(SameAudio(dir / "piped.wav", dir / "direct.wav"));
    EXPECT_EQ(test::ReadAudio(dir / "piped.wav").Frames(), 44100u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryContainer, PipedInput,
    ::testing::Values(SF_FORMAT_CAF | SF_FORMAT_FLOAT, SF_FORMAT_RF64 | SF_FORMAT_FLOAT,
                      SF_FORMAT_FLAC | SF_FORMAT_PCM_16, SF_FORMAT_OGG | SF_FORMAT_VORBIS,
                      SF_FORMAT_AIFF | SF_FORMAT_PCM_16, SF_FORMAT_W64 | SF_FORMAT_FLOAT,
                      SF_FORMAT_WAV | SF_FORMAT_PCM_24),
    [](const ::testing::TestParamInfo<int>& info) {
        SF_FORMAT_INFO f{};
        f.format = info.param & SF_FORMAT_TYPEMASK;
        sf_command(nullptr, SFC_GET_FORMAT_INFO, &f, sizeof f);
        std::string name = f.extension ? f.extension : "x";
        return name;
    });

} // namespace
} // namespace vhost
