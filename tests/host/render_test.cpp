// Renders through the fixture gain effect loaded from its shared library.
#include "host/audio_stream.h"
#include "host/command_errors.h"
#include "host/renderer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vhost {
namespace {

std::vector<double> Ramp(std::size_t frames, int channels) {
    std::vector<double> samples(frames * channels);
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * channels + c] = (c ? -1.0 : 1.0) * static_cast<double>(i % 200) / 400.0;
    return samples;
}

struct Rendered {
    RenderReport report;
    MemorySink sink;
};

Rendered RenderThrough(const char* library, std::vector<double> input, int channels,
                       RenderSettings settings, const std::vector<std::string>& = {}) {
    HostCallback host;
    auto plugin = PluginInstance::Load(library, host);
    MemorySource source(std::move(input), channels, settings.sampleRate);
    Rendered r;
    r.sink.SetChannels(plugin->NumOutputs());
    r.report = Render(*plugin, source, r.sink, settings);
    return r;
}

TEST(Render, CallsArriveInTheExpectedOrder) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    RenderSettings settings;
    settings.sampleRate = 48000.0;
    settings.blockSize = 100;
    RenderThrough(FIXTURE_GAIN, Ramp(250, 2), 2, settings);
    std::vector<VstInt32> expected = {effOpen,         effSetSampleRate, effSetBlockSize,
                                      effMainsChanged, effStartProcess,  effStopProcess,
                                      effMainsChanged, effClose};
    EXPECT_EQ(fixture.Opcodes(), expected);
    const FixtureTrace& t = fixture.Trace();
    EXPECT_EQ(t.sampleRate, 48000.0f);
    EXPECT_EQ(t.blockSize, 100);
    EXPECT_EQ(t.calls[1], 3); // 100 + 100 + 50 frames
    EXPECT_EQ(t.frames, 250);
    EXPECT_EQ(t.maxFrames, 100);
    EXPECT_FALSE(t.framesOverBlock);
    EXPECT_FALSE(t.processedWhileOff);
    EXPECT_EQ(t.instancesAlive, 0);
}

TEST(Render, ThePlugInLearnsAboutTheHostOnOpen) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    RenderSettings settings;
    RenderThrough(FIXTURE_GAIN, Ramp(10, 2), 2, settings);
    const FixtureTrace& t = fixture.Trace();
    EXPECT_EQ(t.hostVersion, 2400);
    EXPECT_STREQ(t.hostProduct, "velmorande-host");
    EXPECT_STREQ(t.hostVendor, "Velmorande");
    EXPECT_EQ(t.hostCanSendTimeInfo, 1);
    EXPECT_GT(t.hostVendorVersion, 0);
}

TEST(Render, TimeInfoAdvancesPerBlock) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    RenderSettings settings;
    settings.blockSize = 64;
    settings.tempo = 93.0;
    RenderThrough(FIXTURE_GAIN, Ramp(64 * 5 + 7, 2), 2, settings);
    const FixtureTrace& t = fixture.Trace();
    ASSERT_EQ(t.numBlockPositions, 6);
    for (int b = 0; b < 6; ++b)
        EXPECT_EQ(t.blockPositions[b], 64.0 * b) << b;
    EXPECT_EQ(t.tempo, 93.0);
    EXPECT_TRUE(t.timeFlags & kVstTempoValid);
    EXPECT_TRUE(t.timeFlags & kVstTransportPlaying);
    EXPECT_EQ(t.timeSigNumerator, 4);
    EXPECT_EQ(t.timeSigDenominator, 4);
}

TEST(Render, AppliesTheEffectInSinglePrecision) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    auto input = Ramp(1000, 2);
    RenderSettings settings;
    settings.blockSize = 128;
    Rendered r = RenderThrough(FIXTURE_GAIN, input, 2, settings);
    // Program 0 ("Unity") has a gain of exactly 1: only the float rounding of the input.
    ASSERT_EQ(r.sink.Samples().size(), input.size());
    for (std::size_t i = 0; i < input.size(); ++i)
        ASSERT_EQ(r.sink.Samples()[i], static_cast<double>(static_cast<float>(input[i]))) << i;
    EXPECT_EQ(r.report.mode, ProcessMode::Replacing);
    EXPECT_EQ(fixture.Trace().calls[1], 8);
    EXPECT_EQ(fixture.Trace().calls[0], 0);
}

TEST(Render, DoublePrecisionPassesSamplesUnrounded) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    std::vector<double> input = {0.1, -0.1, 1.0 / 3.0, -1.0 / 3.0};
    RenderSettings settings;
    settings.precision = Precision::Double;
    Rendered r = RenderThrough(FIXTURE_GAIN, input, 2, settings);
    EXPECT_EQ(r.sink.Samples(), input);
    EXPECT_EQ(r.report.mode, ProcessMode::DoubleReplacing);
    EXPECT_EQ(fixture.Trace().calls[2], 1);
}

TEST(Render, OldPlugInsGetTheAccumulatingCallWithClearedOutputs) {
    test::FixtureLibrary fixture(FIXTURE_LEGACY);
    auto input = Ramp(300, 2);
    RenderSettings settings;
    settings.blockSize = 64;
    Rendered r = RenderThrough(FIXTURE_LEGACY, input, 2, settings);
    EXPECT_EQ(r.report.mode, ProcessMode::Accumulating);
    EXPECT_EQ(fixture.Trace().calls[0], 5);
    // Any leftover in the output buffers would show up as a doubled signal.
    for (std::size_t i = 0; i < input.size(); ++i)
        ASSERT_EQ(r.sink.Samples()[i], static_cast<double>(static_cast<float>(input[i]))) << i;
}

TEST(Render, DoublePrecisionIsRefusedWhenNotOffered) {
    test::FixtureLibrary fixture(FIXTURE_LEGACY);
    RenderSettings settings;
    settings.precision = Precision::Double;
    EXPECT_THROW(RenderThrough(FIXTURE_LEGACY, Ramp(10, 2), 2, settings), HostError);
    // Even a refused render leaves the effect closed and processing never switched on.
    EXPECT_EQ(fixture.Trace().instancesAlive, 0);
    EXPECT_EQ(fixture.Trace().calls[0], 0);
}

TEST(Render, MonoInputFeedsBothInputs) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    std::vector<double> input = {0.5, -0.25, 0.125};
    Rendered r = RenderThrough(FIXTURE_GAIN, input, 1, RenderSettings{});
    EXPECT_EQ(r.sink.Samples(), (std::vector<double>{0.5, 0.5, -0.25, -0.25, 0.125, 0.125}));
    EXPECT_EQ(r.report.inputChannels, 1);
    EXPECT_EQ(r.report.outputChannels, 2);
}

TEST(Render, ExtraChannelsAreDroppedAndMissingOnesSilent) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    std::vector<double> three = {0.5, 0.25, 0.75, -0.5, -0.25, -0.75};
    Rendered r = RenderThrough(FIXTURE_GAIN, three, 3, RenderSettings{});
    EXPECT_EQ(r.sink.Samples(), (std::vector<double>{0.5, 0.25, -0.5, -0.25}));
}

TEST(Render, TheTailAppendsSilenceAtTheRenderRate) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    RenderSettings settings;
    settings.sampleRate = 1000.0;
    settings.blockSize = 64;
    settings.tailSeconds = 0.25;
    Rendered r = RenderThrough(FIXTURE_GAIN, Ramp(100, 2), 2, settings);
    EXPECT_EQ(r.report.inputFrames, 100);
    EXPECT_EQ(r.report.outputFrames, 350);
    EXPECT_EQ(r.sink.Samples().size(), 700u);
    EXPECT_EQ(fixture.Trace().frames, 350);
    for (std::size_t i = 200; i < 700; ++i)
        ASSERT_EQ(r.sink.Samples()[i], 0.0) << i;
    EXPECT_DOUBLE_EQ(r.report.DurationSeconds(), 0.35);
}

TEST(Render, OddBlockSizesCoverEveryFrame) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    for (VstInt32 block : {1, 7, 37, 512, 4096}) {
        fixture.Reset();
        RenderSettings settings;
        settings.blockSize = block;
        auto input = Ramp(1001, 2);
        Rendered r = RenderThrough(FIXTURE_GAIN, input, 2, settings);
        EXPECT_EQ(r.sink.Samples().size(), input.size()) << block;
        EXPECT_EQ(fixture.Trace().frames, 1001) << block;
        EXPECT_EQ(fixture.Trace().calls[1], (1001 + block - 1) / block) << block;
        EXPECT_FALSE(fixture.Trace().framesOverBlock);
    }
}

TEST(Render, EmptyInputWithoutTailRendersNothing) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    Rendered r = RenderThrough(FIXTURE_GAIN, {}, 2, RenderSettings{});
    EXPECT_EQ(r.report.outputFrames, 0);
    EXPECT_EQ(fixture.Trace().calls[1], 0);
    EXPECT_EQ(r.report.output.PeakDb(), -std::numeric_limits<double>::infinity());
}

TEST(Render, LevelsAreMeasured) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    std::vector<double> input(2000);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = (i / 2) % 2 ? 0.5 : -0.5;
    Rendered r = RenderThrough(FIXTURE_GAIN, input, 2, RenderSettings{});
    EXPECT_NEAR(r.report.input.PeakDb(), -6.0206, 1e-3);
    EXPECT_NEAR(r.report.input.RmsDb(), -6.0206, 1e-3);
    EXPECT_NEAR(r.report.output.PeakDb(), -6.0206, 1e-3);
    EXPECT_GT(r.report.RealTimeFactor(), 0.0);
}

TEST(Render, ProgressReachesTheEnd) {
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    HostCallback host;
    auto plugin = PluginInstance::Load(FIXTURE_GAIN, host);
    MemorySource source(Ramp(20000, 2), 2, 44100.0);
    MemorySink sink;
    sink.SetChannels(2);
    RenderSettings settings;
    settings.blockSize = 100;
    std::vector<double> seen;
    Render(*plugin, source, sink, settings, [&](double f) { seen.push_back(f); });
    // Every 8192 frames or just after, in whole blocks, and at the end: not every block.
    EXPECT_EQ(seen, (std::vector<double>{8200.0 / 20000, 16400.0 / 20000, 1.0}));
    EXPECT_EQ(sink.Samples().size(), 40000u);
}

TEST(Render, ASinkFailureSwitchesProcessingOff) {
    struct FailingSink : AudioSink {
        void Write(const double*, std::int64_t) override { throw HostError("disk full"); }
    } sink;
    test::FixtureLibrary fixture(FIXTURE_GAIN);
    HostCallback host;
    auto plugin = PluginInstance::Load(FIXTURE_GAIN, host);
    MemorySource source(Ramp(100, 2), 2, 44100.0);
    EXPECT_THROW(Render(*plugin, source, sink, RenderSettings{}), HostError);
    EXPECT_FALSE(plugin->Active());
    auto ops = fixture.Opcodes();
    EXPECT_EQ(ops.back(), effMainsChanged);
}

} // namespace
} // namespace vhost
