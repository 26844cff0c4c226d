// What velmorande-host says about the audio: channels dropped or mixed, samples that are not
// numbers, clipping, inputs cut short, refused state and instruments; and the rules for
// values on the command line.
#include "host/fx_file.h"
#include "host/json.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::RunHostExecutable;

test::AudioData Constant(int channels, std::size_t frames, std::vector<double> perChannel) {
    test::AudioData a;
    a.channels = channels;
    a.sampleRate = 44100;
    a.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    for (std::size_t f = 0; f < frames; ++f)
        a.samples.insert(a.samples.end(), perChannel.begin(), perChannel.end());
    return a;
}

class CliReport : public ::testing::Test {
protected:
    test::TempDir dir;
    fs::path Out() const { return dir / "out.wav"; }
};

TEST_F(CliReport, ChannelsAreMappedAndEveryDropOrMixIsSaid) {
    struct Case {
        const char* plugin;
        std::vector<double> input; // one frame, repeated
        std::string channels;
        int exitCode;
        std::vector<double> expected; // the two outputs (the fixture copies its inputs)
        const char* message;          // on standard error; "" for none
    };
    const double nan = std::nan("");
    for (const Case& c : std::vector<Case>{
             {FIXTURE_GAIN, {0.1, 0.2}, "", 0, {0.1, 0.2}, ""},
             {FIXTURE_GAIN, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, "", 0, {0.1, 0.2}, "warning: "},
             {FIXTURE_GAIN, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, "6,5", 0, {0.6, 0.5}, "note: "},
             {FIXTURE_GAIN, {0.1, 0.2, 0.3}, "1+3,0", 0, {0.2, 0.0}, "note: "},
             {FIXTURE_GAIN, {0.1, 0.3}, "mix", 0, {0.2, 0.2}, "mixed"},
             {FIXTURE_GAIN, {0.4}, "", 0, {0.4, 0.4}, "mono input feeds"},
             // A right-only stereo file through a one-input plug-in is not silence.
             {FIXTURE_MONO, {0.0, 0.5}, "", 0, {0.25, 0.25}, "mixed to mono"},
             {FIXTURE_MONO, {0.0, 0.5}, "2", 0, {0.5, 0.5}, "note: "},
             {FIXTURE_GAIN, {0.1, 0.2}, "1", 2, {nan}, "names 1 input,"},
             {FIXTURE_GAIN, {0.1, 0.2}, "1,3", 2, {nan}, "not a channel"},
             {FIXTURE_GAIN, {0.1, 0.2}, "1,0+2", 2, {nan}, "0 stands alone"},
         }) {
        const int channels = static_cast<int>(c.input.size());
        test::WriteAudio(dir / "in.wav", Constant(channels, 64, c.input));
        std::vector<std::string> args = {c.plugin};
        if (!c.channels.empty()) args.insert(args.end(), {"--channels", c.channels});
        args.insert(args.end(), {(dir / "in.wav").string(), Out().string()});
        auto r = RunHostExecutable(args);
        const std::string what = std::to_string(channels) + " channels, map " + c.channels;
        ASSERT_EQ(r.exitCode, c.exitCode) << what << "\n" << r.err;
        if (*c.message)
            EXPECT_TRUE(Contains(r.err, c.message)) << what << "\n" << r.err;
        else
            EXPECT_EQ(r.err, "") << what;
        if (c.exitCode != 0) continue;
        test::AudioData o = test::ReadAudio(Out());
        ASSERT_EQ(o.channels, 2);
        EXPECT_NEAR(o.At(10, 0), c.expected[0], 1e-6) << what;
        EXPECT_NEAR(o.At(10, 1), c.expected[1], 1e-6) << what;
        fs::remove(Out());
    }
}

TEST_F(CliReport, SamplesThatAreNotNumbersAreCountedAndNeverBecomeFullScale) {
    const double inf = std::numeric_limits<double>::infinity();
    test::AudioData in = Constant(2, 100, {0.25, -0.25});
    in.samples[20] = std::nan("");
    in.samples[41] = inf;
    in.samples[60] = -inf;
    test::WriteAudio(dir / "in.wav", in);
    struct Case {
        const char* encoding;
        double atNan, atInf, atMinusInf;
        bool replaced;
    };
    for (const Case& c : {Case{"pcm16", 0.0, 32767.0 / 32768.0, -1.0, true},
                          Case{"float", std::nan(""), inf, -inf, false}}) {
        auto r = RunHostExecutable(
            {FIXTURE_GAIN, "--encoding", c.encoding, (dir / "in.wav").string(), Out().string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        // Levels leave them out; both sides count them.
        EXPECT_TRUE(Contains(r.out, "input:  peak -12.04 dBFS, RMS -12.04 dBFS, 3 non-finite"))
            << r.out;
        EXPECT_TRUE(Contains(r.out, "output: peak -12.04 dBFS, RMS -12.04 dBFS, 3 non-finite"))
            << r.out;
        EXPECT_TRUE(Contains(r.err, "INPUT holds 3 samples that are not finite")) << r.err;
        EXPECT_EQ(Contains(r.err, "3 non-finite samples written as 0"), c.replaced) << r.err;
        EXPECT_FALSE(Contains(r.err, "clipped")) << r.err;
        test::AudioData o = test::ReadAudio(Out());
        auto same = [](double a, double b) { return std::isnan(a) ? std::isnan(b) : a == b; };
        EXPECT_TRUE(same(c.atNan, o.samples[20])) << o.samples[20];
        EXPECT_TRUE(same(c.atInf, o.samples[41])) << o.samples[41];
        EXPECT_TRUE(same(c.atMinusInf, o.samples[60])) << o.samples[60];
        EXPECT_EQ(o.samples[22], 0.25);
    }
}

TEST_F(CliReport, ClippingACutShortInputARefusedChunkAndAnInstrumentAreSaid) {
    test::WriteAudio(dir / "loud.wav", Constant(2, 100, {0.75, 0.25}));
    auto clip = RunHostExecutable({FIXTURE_GAIN, "-P", "Gain=200", "--encoding", "pcm24",
                                   (dir / "loud.wav").string(), Out().string()});
    EXPECT_EQ(clip.exitCode, 0);
    EXPECT_TRUE(Contains(clip.err, "warning: 100 samples beyond full scale clipped")) << clip.err;
    EXPECT_TRUE(Contains(clip.out, "100 samples clipped")) << clip.out;
    auto kept = RunHostExecutable(
        {FIXTURE_GAIN, "-P", "Gain=200", "--float", (dir / "loud.wav").string(), Out().string()});
    EXPECT_FALSE(Contains(kept.err, "clipped")) << kept.err;

    // Cut the last quarter off the data: the header still announces all of it.
    test::WriteAudio(dir / "whole.wav", Constant(2, 1000, {0.5, 0.5}));
    std::string bytes;
    {
        std::ifstream in(dir / "whole.wav", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::ofstream(dir / "cut.wav", std::ios::binary) << bytes.substr(0, bytes.size() - 2000);
    auto cut = RunHostExecutable({FIXTURE_GAIN, "-q", (dir / "cut.wav").string(), Out().string()});
    EXPECT_EQ(cut.exitCode, 0);
    EXPECT_TRUE(Contains(cut.err, "cut short")) << cut.err;
    auto whole =
        RunHostExecutable({FIXTURE_GAIN, "-q", (dir / "whole.wav").string(), Out().string()});
    EXPECT_EQ(whole.err, "");

    FxProgram program;
    program.fxId = FourCharCode("VmFx");
    program.opaque = true;
    program.name = "odd";
    program.chunk = {1, 2, 3}; // not the size the fixture takes
    test::WriteBytes(dir / "odd.fxp", EncodeProgram(program));
    fs::remove(Out());
    auto chunk = RunHostExecutable({FIXTURE_GAIN_CHUNKS, "--load", (dir / "odd.fxp").string(),
                                    (dir / "whole.wav").string(), Out().string()});
    EXPECT_EQ(chunk.exitCode, 1);
    EXPECT_TRUE(Contains(chunk.err, "refused the program chunk")) << chunk.err;

    auto synth = RunHostExecutable({FIXTURE_SYNTH, (dir / "whole.wav").string(), Out().string()});
    EXPECT_EQ(synth.exitCode, 1);
    EXPECT_TRUE(Contains(synth.err, "no MIDI input")) << synth.err;
    EXPECT_FALSE(fs::exists(Out()));
    // Listing an instrument is fine.
    EXPECT_EQ(RunHostExecutable({"--info", FIXTURE_SYNTH}).exitCode, 0);
}

TEST_F(CliReport, WhatAHeaderGetsWrongIsSaidOnceAndTheSameInJson) {
    test::WriteAudio(dir / "whole.wav", Constant(2, 1000, {0.5, 0.5}));
    const std::string bytes = [&] {
        std::ifstream in(dir / "whole.wav", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    // Half the data gone; and a data size left at 0 in front of all of it.
    std::ofstream(dir / "cut.wav", std::ios::binary) << bytes.substr(0, bytes.size() - 4000);
    std::string zero = bytes;
    const std::size_t data = zero.find("data");
    ASSERT_NE(data, std::string::npos);
    zero.replace(data + 4, 4, std::string(4, '\0'));
    std::ofstream(dir / "zero.wav", std::ios::binary) << zero;
    struct Case {
        const char* file;
        const char* warning; // empty: none
        bool truncated;
        long long frames;
    };
    for (const Case& c : std::vector<Case>{
             {"whole.wav", "", false, 1000},
             {"cut.wav", "announces more audio than the file holds: it is cut short", true, 500},
             {"zero.wav", "announces 0 frames, but the file holds 8000 bytes from byte ", false, 0},
         }) {
        auto r =
            RunHostExecutable({FIXTURE_GAIN, "--json", (dir / c.file).string(), Out().string()});
        EXPECT_EQ(r.exitCode, 0) << c.file << r.err;
        const JsonValue summary = ParseJson(r.out);
        const JsonValue& input = *summary.Find("input");
        EXPECT_EQ(std::get<bool>(input.Find("truncated")->data), c.truncated) << c.file;
        EXPECT_EQ(input.Find("frames")->Number(), c.frames) << c.file;
        const JsonArray& warnings = summary.Find("warnings")->Array();
        if (*c.warning == '\0') {
            EXPECT_EQ(r.err, "") << c.file;
            EXPECT_TRUE(warnings.empty()) << c.file;
            continue;
        }
        EXPECT_TRUE(Contains(r.err, c.warning)) << c.file << ": " << r.err;
        ASSERT_EQ(warnings.size(), 1u) << c.file;
        EXPECT_TRUE(Contains(warnings[0].String(), c.warning)) << c.file;
    }
}

TEST_F(CliReport, AnInputRateOutsideTheRateRangeNeedsRate) {
    for (int rate : {1, 10000000}) {
        test::AudioData a = Constant(1, 10, {0.5});
        a.sampleRate = rate;
        test::WriteAudio(dir / "odd.wav", a);
        auto r = RunHostExecutable({FIXTURE_GAIN, (dir / "odd.wav").string(), Out().string()});
        EXPECT_EQ(r.exitCode, 1) << rate;
        EXPECT_TRUE(Contains(r.err, "outside 1000-768000 Hz")) << r.err;
        EXPECT_FALSE(fs::exists(Out()));
        r = RunHostExecutable(
            {FIXTURE_GAIN, "-q", "--rate", "44100", (dir / "odd.wav").string(), Out().string()});
        EXPECT_EQ(r.exitCode, 0) << rate << r.err;
        EXPECT_EQ(test::ReadAudio(Out()).sampleRate, 44100);
        fs::remove(Out());
    }
}

TEST_F(CliReport, MessagesNameThingsPlainly) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::vector<const char*> said; // on standard output or error
        std::vector<const char*> notSaid;
    };
    for (const Case& c : std::vector<Case>{
             {{"--info", FIXTURE_FAULTY},
              0,
              {"Category:    room effect"},
              {"Product:", "category 6"}},
             {{"--info", FIXTURE_GAIN}, 0, {"Product:     fixture", "Category:    effect"}, {}},
             {{"validate", FIXTURE_GAIN, "--level", "11"}, 2, {"from 1 to 10"}, {".000000"}},
             {{"--help"}, 0, {"velmorande-host validate [options] PLUGIN", "--force"}, {}},
         }) {
        auto r = RunHostExecutable(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << r.err;
        for (const char* text : c.said)
            EXPECT_TRUE(Contains(r.out + r.err, text)) << text << "\n" << r.out << r.err;
        for (const char* text : c.notSaid)
            EXPECT_FALSE(Contains(r.out + r.err, text)) << text << "\n" << r.out << r.err;
    }
}

TEST_F(CliReport, CommandLineValuesFollowOneRule) {
    test::WriteAudio(dir / "in.wav", Constant(2, 100, {0.5, 0.5}));
    struct Case {
        std::vector<std::string> options;
        int exitCode;
        const char* message;
    };
    for (const Case& c : std::vector<Case>{
             {{"-t100"}, 0, ""},
             {{"-PGain=50"}, 0, ""},
             {{"-P", "Gain=inf"}, 2, "not a decimal number"},
             {{"-P", "Gain=nan"}, 2, "not a decimal number"},
             {{"-P", "Gain=nann"}, 2, "not a decimal number"},
             // Numbers are decimal, wherever the command line takes one.
             {{"-P", "Gain=0x10"}, 2, "not a decimal number"},
             {{"-P", "Gain=0x1n"}, 2, "not a decimal number"},
             {{"--tempo", "0x10"}, 2, "--tempo needs a number, got '0x10'"},
             {{"--tail", "inf"}, 2, "--tail needs a number"},
             // A parameter that shows texts takes one of them, in any case, and no number.
             {{"-P", "Invert=on"}, 0, ""},
             {{"-P", "Invert=1"}, 1, "give one of Off, On, or a normalised value"},
             {{"-P", "Invert=0.5"}, 1, "give one of Off, On"},
             {{"-P", "Invert=1n"}, 0, ""},
             // A setting given twice would silently lose the first.
             {{"--save", "a.fxp", "--save", "b.fxp"}, 2, "--save is given twice"},
             {{"-t", "90", "--tempo=100"}, 2, "--tempo is given twice"},
             {{"--float", "--encoding", "pcm16"},
              2,
              "--float and --encoding both set the encoding"},
             // Out of range is refused the same way, plain or normalised.
             {{"-P", "Gain=250"}, 1, "outside the range of parameter 'Gain'"},
             {{"-P", "Gain=1.5n"}, 1, "outside 0..1"},
             {{"--tempo=1000"}, 2, "between 1 and 999, got 1000"},
             {{"-b", "0"}, 2, "between 1 and 65536"},
             {{"--time-signature", "3/5"}, 2, "power of two"},
         }) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {FIXTURE_GAIN, "-q", (dir / "in.wav").string(), Out().string()});
        auto r = RunHostExecutable(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.options[0] << r.err;
        EXPECT_TRUE(Contains(r.err, c.message)) << c.options[0] << r.err;
        EXPECT_FALSE(Contains(r.err, ".000000")) << r.err;
    }
    const std::string help = RunHostExecutable({"--help"}).out;
    for (const char* range : {"1-65536", "1-999", "1000-768000", "0-3600"})
        EXPECT_TRUE(Contains(help, range)) << range;
}

} // namespace
} // namespace vhost
