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
using test::contains;
using test::runHostExecutable;
using test::sameAudio;
using test::shell;
using test::shellQuoted;
using test::slurp;

class CliStreams : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        // A second of audio: more than a pipe holds, so a reader that leaves is noticed.
        test::writeAudio(input,
                         test::sine(2, 44100, 44100, 330.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
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
            command += ' ' + shellQuoted(a);
        if (fs::exists(full)) {
            const int rc = shell(shellQuoted(HOST_EXECUTABLE) + command + " > " +
                                 shellQuoted(full) + " 2> " + shellQuoted(dir / "err"));
            EXPECT_EQ(rc, 1) << command;
            EXPECT_TRUE(contains(slurp(dir / "err"),
                                 "cannot write standard output: No space left on device"))
                << command << ": " << slurp(dir / "err");
            EXPECT_FALSE(contains(slurp(dir / "err"), "wrote standard output")) << command;
        }
    }
    // A reader that goes away: the rest of the audio has nowhere to go.
    shell("(" + shellQuoted(HOST_EXECUTABLE) + " " + shellQuoted(FIXTURE_GAIN) + " " +
          shellQuoted(input) + " - 2> " + shellQuoted(dir / "err") + "; echo $? > " +
          shellQuoted(dir / "rc") + ") | head -c 1 > " + shellQuoted(dir / "head"));
    EXPECT_EQ(slurp(dir / "rc"), "1\n") << slurp(dir / "err");
    EXPECT_TRUE(contains(slurp(dir / "err"), "cannot write standard output: Broken pipe"))
        << slurp(dir / "err");
    EXPECT_FALSE(contains(slurp(dir / "err"), "wrote standard output"));
    // The output file of the --json render was still written: only its summary failed.
    EXPECT_EQ(fs::exists(dir / "out.wav"), fs::exists(full));
    // Closed altogether.
    EXPECT_EQ(shell(shellQuoted(HOST_EXECUTABLE) + " --help >&- 2> " + shellQuoted(dir / "err")),
              1);
    EXPECT_TRUE(contains(slurp(dir / "err"), "cannot write standard output")) << slurp(dir / "err");
}

TEST_F(CliStreams, WhatAPlugInPrintsStaysOutOfTheHostsData) {
    auto ref =
        runHostExecutable({FIXTURE_FAULTY, "-q", input.string(), (dir / "ref.wav").string()});
    ASSERT_EQ(ref.exitCode, 0) << ref.err;
    const fs::path captured = dir / "stdout.wav";
    const std::string host =
        "FIXTURE_FAULT=print " + shellQuoted(HOST_EXECUTABLE) + " " + shellQuoted(FIXTURE_FAULTY);
    ASSERT_EQ(shell(host + " " + shellQuoted(input) + " - > " + shellQuoted(captured) + " 2> " +
                    shellQuoted(dir / "err")),
              0)
        << slurp(dir / "err");
    EXPECT_EQ(slurp(captured).substr(0, 4), "RIFF");
    EXPECT_TRUE(sameAudio(captured, dir / "ref.wav"));
    // The chatter went to standard error, from the loader, effOpen and the audio callback.
    for (const char* from : {"VSTPluginMain", "effOpen", "processReplacing"})
        EXPECT_TRUE(contains(slurp(dir / "err"), std::string("raw bytes from ") + from))
            << slurp(dir / "err");
    EXPECT_TRUE(contains(slurp(dir / "err"), "wrote standard output"));

    ASSERT_EQ(shell("FIXTURE_FAULT=print " + shellQuoted(HOST_EXECUTABLE) + " --info --json " +
                    shellQuoted(FIXTURE_FAULTY) + " > " + shellQuoted(dir / "info.json") + " 2> " +
                    shellQuoted(dir / "err")),
              0);
    EXPECT_NO_THROW(parseJson(slurp(dir / "info.json"))) << slurp(dir / "info.json");
    EXPECT_TRUE(contains(slurp(dir / "err"), "hello from effOpen"));
}

TEST_F(CliStreams, DashIsStandardInputAndOutput) {
    auto ref = runHostExecutable({FIXTURE_GAIN, "-q", input.string(), (dir / "ref.wav").string()});
    ASSERT_EQ(ref.exitCode, 0) << ref.err;
    const fs::path captured = dir / "stdout.wav";
    ASSERT_EQ(shell(shellQuoted(HOST_EXECUTABLE) + " " + shellQuoted(FIXTURE_GAIN) + " - - < " +
                    shellQuoted(input) + " > " + shellQuoted(captured) + " 2> " +
                    shellQuoted(dir / "err")),
              0)
        << slurp(dir / "err");
    EXPECT_TRUE(sameAudio(captured, dir / "ref.wav"));
    // The summary went to standard error, out of the audio's way.
    EXPECT_TRUE(contains(slurp(dir / "err"), "wrote standard output"));
    EXPECT_FALSE(fs::exists(dir / "-"));
    // Through a pipe, which cannot seek back to finish a header.
    ASSERT_EQ(shell(shellQuoted(HOST_EXECUTABLE) + " -q " + shellQuoted(FIXTURE_GAIN) + " " +
                    shellQuoted(input) + " - | cat > " + shellQuoted(dir / "piped.wav")),
              0);
    EXPECT_TRUE(sameAudio(dir / "piped.wav", dir / "ref.wav"));
}

// INPUT "-" from a pipe reads as the same file does, whatever the container needs to seek.
class PipedInput : public ::testing::TestWithParam<int> {};

TEST_P(PipedInput, ReadsAsTheFileDoes) {
    test::TempDir dir;
    const int format = GetParam();
    const fs::path file = dir / "in.audio";
    test::writeAudio(file, test::sine(2, 44100, 44100, 440.0, 0.5, format));
    auto direct = runHostExecutable(
        {FIXTURE_GAIN, "-q", "--format", "wav", file.string(), (dir / "direct.wav").string()});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    ASSERT_EQ(shell("cat " + shellQuoted(file) + " | " + shellQuoted(HOST_EXECUTABLE) + " -q " +
                    shellQuoted(FIXTURE_GAIN) + " --format wav - " +
                    shellQuoted(dir / "piped.wav") + " 2> " + shellQuoted(dir / "err")),
              0)
        << slurp(dir / "err");
    EXPECT_EQ(slurp(dir / "err"), "");
    EXPECT_TRUE(sameAudio(dir / "piped.wav", dir / "direct.wav"));
    EXPECT_EQ(test::readAudio(dir / "piped.wav").frames(), 44100u);
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
