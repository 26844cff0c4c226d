#include "host/audio_file.h"
#include "host/command_errors.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fstream>

namespace vhost {
namespace {

TEST(AudioFile, FormatsRoundTripThroughLibsndfile) {
    test::TempDir dir;
    struct Case {
        const char* name;
        int format;
        double tolerance;
    };
    for (const Case& c : {Case{"a.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0.0},
                          Case{"b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768},
                          Case{"c.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1.0 / 8388608},
                          Case{"d.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.0 / 32768},
                          Case{"e.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 0.0}}) {
        test::AudioData in = test::Sine(2, 48000, 4800, 441.0, 0.5, c.format);
        test::WriteAudio(dir / c.name, in);
        test::AudioData out = test::ReadAudio(dir / c.name);
        EXPECT_EQ(out.format, c.format) << c.name;
        EXPECT_EQ(out.channels, 2);
        EXPECT_EQ(out.sampleRate, 48000);
        ASSERT_EQ(out.samples.size(), in.samples.size()) << c.name;
        for (std::size_t i = 0; i < in.samples.size(); ++i)
            ASSERT_NEAR(out.samples[i], in.samples[i], c.tolerance + 1e-7) << c.name << " " << i;
    }
}

TEST(AudioFile, OversAreClippedInIntegerEncodings) {
    test::TempDir dir;
    test::AudioData loud;
    loud.channels = 1;
    loud.sampleRate = 8000;
    loud.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    loud.samples = {1.5, -1.5, 0.25};
    test::WriteAudio(dir / "loud.wav", loud);
    test::AudioData back = test::ReadAudio(dir / "loud.wav");
    EXPECT_GT(back.samples[0], 0.99);
    EXPECT_LT(back.samples[1], -0.99);
}

TEST(AudioFile, UnreadableFilesNameTheFile) {
    test::TempDir dir;
    std::ofstream(dir / "text.wav") << "this is not audio";
    for (auto path : {dir / "missing.wav", dir / "text.wav"}) {
        try {
            AudioFileReader reader(path);
            FAIL() << "expected a HostError";
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find(path.filename().string()), std::string::npos);
        }
    }
}

TEST(AudioFile, WritingReplacesAnExistingFileWhole) {
    test::TempDir dir;
    std::ofstream(dir / "out.wav") << "old contents";
    test::AudioData audio = test::Sine(1, 8000, 100, 100.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    test::WriteAudio(dir / "out.wav", audio);
    EXPECT_EQ(test::ReadAudio(dir / "out.wav").Frames(), 100u);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.wav"});
}

TEST(AudioFile, WritingIntoAMissingDirectoryFails) {
    test::TempDir dir;
    EXPECT_THROW(
        AudioFileWriter(dir / "nope" / "out.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100),
        HostError);
}

TEST(AudioFile, EightBitPcmIsOneEncodingStoredAsTheContainerStoresIt) {
    const int wav8 = SF_FORMAT_WAV | SF_FORMAT_PCM_U8, aiff8 = SF_FORMAT_AIFF | SF_FORMAT_PCM_S8;
    EXPECT_EQ(ChooseOutputFormat("", "pcm8", "out.wav", 0, 2, 44100), wav8);
    EXPECT_EQ(ChooseOutputFormat("", "pcm8", "out.aiff", 0, 2, 44100), aiff8);
    EXPECT_EQ(ChooseOutputFormat("", "", "out.wav", aiff8, 2, 44100), wav8);
    EXPECT_EQ(ChooseOutputFormat("", "", "out.aiff", wav8, 2, 44100), aiff8);
    EXPECT_EQ(ChooseOutputFormat("", "", "out.wav", wav8, 2, 44100), wav8);
}

TEST(AudioFile, OutputFormatFollowsNameThenInput) {
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const int flac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    EXPECT_EQ(ChooseOutputFormat("", "", "out.wav", wavFloat, 2, 44100), wavFloat);
    EXPECT_EQ(ChooseOutputFormat("", "", "out.aif", flac16, 2, 44100),
              SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(ChooseOutputFormat("", "", "out.FLAC", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 44100),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    // FLAC cannot hold float: the input's encoding gives way to 24-bit.
    EXPECT_EQ(ChooseOutputFormat("", "", "out.flac", wavFloat, 2, 44100),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    // No extension keeps the input's container; an extension the host does not write is
    // refused rather than written as something else under that name.
    EXPECT_EQ(ChooseOutputFormat("", "", "out", flac16, 2, 44100), flac16);
    EXPECT_EQ(ChooseOutputFormat("", "", "-", flac16, 2, 44100), flac16);
    EXPECT_EQ(ChooseOutputFormat("", "", "out", 0, 2, 44100), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_THROW(ChooseOutputFormat("", "", "out.audio", flac16, 2, 44100), UsageError);
    EXPECT_EQ(ChooseOutputFormat("flac", "", "out.audio", flac16, 2, 44100), flac16);
}

TEST(AudioFile, CompressedFormatsFromTheirExtension) {
    struct Case {
        const char* name;
        int format;
    };
    for (const Case& c : {Case{"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                          Case{"a.oga", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                          Case{"a.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
                          Case{"a.MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
                          Case{"a.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
                          Case{"a.au", SF_FORMAT_AU | SF_FORMAT_PCM_16}})
        EXPECT_EQ(ChooseOutputFormat("", "", c.name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000),
                  c.format)
            << c.name;
    // Their encoding is fixed.
    EXPECT_THROW(ChooseOutputFormat("", "pcm16", "a.ogg", 0, 2, 48000), UsageError);
}

TEST(AudioFile, LargeWavBecomesRf64BeforeTheSizeFieldWraps) {
    struct Case {
        int format;
        int channels;
        std::int64_t frames;
        int expected; // 0: refused
    };
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const int rf64Float = SF_FORMAT_RF64 | SF_FORMAT_FLOAT;
    const std::int64_t limitFrames = (std::int64_t{1} << 32) / 8; // stereo float: 8 bytes a frame
    for (const Case& c : {
             Case{wavFloat, 2, 44100, wavFloat},
             Case{wavFloat, 2, limitFrames - 1024 * 1024, wavFloat},
             Case{wavFloat, 2, limitFrames, rf64Float},
             // 192 kHz stereo float with a 3000 s tail, as reported.
             Case{wavFloat, 2, 192000LL * 3000, rf64Float},
             Case{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 400'000'000,
                  SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
             Case{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 1'000'000'000,
                  SF_FORMAT_WAV | SF_FORMAT_PCM_16},
             Case{SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 1'000'000'000, 0},
             Case{SF_FORMAT_CAF | SF_FORMAT_FLOAT, 2, 1'000'000'000,
                  SF_FORMAT_CAF | SF_FORMAT_FLOAT},
             Case{SF_FORMAT_W64 | SF_FORMAT_DOUBLE, 8, 1'000'000'000,
                  SF_FORMAT_W64 | SF_FORMAT_DOUBLE},
             Case{wavFloat, 2, -1, wavFloat}, // unknown length
         }) {
        std::string note;
        if (c.expected == 0) {
            EXPECT_THROW(FitContainer(c.format, c.channels, c.frames, note), HostError);
            continue;
        }
        EXPECT_EQ(FitContainer(c.format, c.channels, c.frames, note), c.expected) << c.frames;
        EXPECT_EQ(note.empty(), c.expected == c.format) << note;
    }
}

TEST(AudioFile, ExplicitFormatAndEncoding) {
    EXPECT_EQ(ChooseOutputFormat("wav", "float", "x.flac", 0, 2, 44100),
              SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(ChooseOutputFormat("AIFF", "pcm32", "x", 0, 1, 96000),
              SF_FORMAT_AIFF | SF_FORMAT_PCM_32);
    EXPECT_EQ(ChooseOutputFormat("", "double", "x.w64", 0, 2, 44100),
              SF_FORMAT_W64 | SF_FORMAT_DOUBLE);
    EXPECT_THROW(ChooseOutputFormat("mp9", "", "x", 0, 2, 44100), UsageError);
    EXPECT_THROW(ChooseOutputFormat("", "pcm12", "x.wav", 0, 2, 44100), UsageError);
    EXPECT_THROW(ChooseOutputFormat("flac", "float", "x", 0, 2, 44100), UsageError);
}

TEST(AudioFile, DescribesFormats) {
    EXPECT_EQ(DescribeFormat(SF_FORMAT_WAV | SF_FORMAT_FLOAT), "WAV, 32-bit float");
    EXPECT_EQ(DescribeFormat(SF_FORMAT_FLAC | SF_FORMAT_PCM_24), "FLAC, 24-bit PCM");
}

} // namespace
} // namespace vhost
