// The host against the project's own plug-in library, when the build has it.
#include "bitmap/pixel_bitmap.h"
#include "bitmap/png_loader.h"
#include "host/audio_stream.h"
#include "host/command_errors.h"
#include "host/demo_phrase.h"
#include "host/editor_picture.h"
#include "host/plugin_params.h"
#include "host/plugin_state.h"
#include "host/renderer.h"
#include "host/text_match.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vhost {
namespace {

#ifdef VELMORANDE_PLUGIN
constexpr const char* kVelmorandePlugin = VELMORANDE_PLUGIN;
#else
constexpr const char* kVelmorandePlugin = "";
#endif

class VelmorandePlugin : public ::testing::Test {
protected:
    void SetUp() override {
        if (!*kVelmorandePlugin) GTEST_SKIP() << "the build has no velmorande plug-in";
        plugin = PluginInstance::Load(kVelmorandePlugin, host);
    }
    HostCallback host;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_F(VelmorandePlugin, DescribesItself) {
    EXPECT_EQ(plugin->Effect().uniqueID, FourCharCode("qzvn"));
    EXPECT_EQ(plugin->NumParams(), 9);
    EXPECT_EQ(plugin->NumPrograms(), 25);
    EXPECT_EQ(plugin->NumInputs(), 2);
    EXPECT_EQ(plugin->NumOutputs(), 2);
    EXPECT_TRUE(plugin->Supports(ProcessMode::Replacing));
    EXPECT_TRUE(plugin->Supports(ProcessMode::DoubleReplacing));
    EXPECT_EQ(Trimmed(plugin->EffectName()), "Velmorande");
}

TEST_F(VelmorandePlugin, ParametersAndProgramsByName) {
    EXPECT_EQ(FindProgram(*plugin, "harp"), 9);
    ParamOutcome feedback = ApplyParameter(*plugin, ParseParamAssignment("Feedback=40"));
    EXPECT_TRUE(feedback.exact);
    EXPECT_EQ(feedback.display, "40");
    ParamOutcome rate = ApplyParameter(*plugin, ParseParamAssignment("delay rate=1/4"));
    EXPECT_EQ(rate.display, "1/4");
    EXPECT_THROW(ApplyParameter(*plugin, ParseParamAssignment("Ping Pong=Sideways")), HostError);
}

TEST_F(VelmorandePlugin, ANoteValueIsOneOfItsTextsNeverANumber) {
    ApplyParameter(*plugin, ParseParamAssignment("Delay Rate=1/4"));
    const float quarter = plugin->GetParameter(0);
    for (const char* number : {"1", "2", "0.5", "0.25", "4"}) {
        EXPECT_THROW(
            ApplyParameter(*plugin, ParseParamAssignment(std::string("Delay Rate=") + number)),
            HostError)
            << number;
        EXPECT_EQ(plugin->GetParameter(0), quarter) << number;
    }
    EXPECT_EQ(ApplyParameter(*plugin, ParseParamAssignment("Delay Rate=1/32t")).display, "1/32T");
    EXPECT_EQ(ApplyParameter(*plugin, ParseParamAssignment("Delay Rate=0.5n")).normalized, 0.5f);
    // A numeric parameter still takes numbers: the survey put everything back.
    EXPECT_EQ(ApplyParameter(*plugin, ParseParamAssignment("Feedback=40")).display, "40");
}

TEST_F(VelmorandePlugin, BankFilesRoundTrip) {
    plugin->SetProgram(3);
    ApplyParameter(*plugin, ParseParamAssignment("Wet Mix=33"));
    test::TempDir dir;
    test::SaveState(*plugin, dir / "bank.fxb");
    HostCallback otherHost;
    auto other = PluginInstance::Load(kVelmorandePlugin, otherHost);
    std::vector<std::string> warnings;
    EXPECT_EQ(LoadStateFile(*other, dir / "bank.fxb", warnings), "bank");
    EXPECT_EQ(other->CurrentProgram(), 3);
    for (VstInt32 i = 0; i < 9; ++i)
        EXPECT_EQ(Trimmed(other->ParamDisplay(i)), Trimmed(plugin->ParamDisplay(i))) << i;
}

TEST_F(VelmorandePlugin, RendersTheDemoPhraseInBothPrecisions) {
    plugin->SetProgram(1);
    for (Precision precision : {Precision::Single, Precision::Double}) {
        DemoPhrase phrase = SynthesizeDemoPhrase();
        MemorySource source(phrase.samples, phrase.channels, phrase.sampleRate);
        MemorySink sink;
        sink.SetChannels(2);
        RenderSettings settings;
        settings.precision = precision;
        settings.tailSeconds = 1.0;
        RenderReport report = Render(*plugin, source, sink, settings);
        EXPECT_EQ(report.outputFrames, 5 * 44100);
        EXPECT_GT(report.output.peak, 0.01);
        for (double x : sink.Samples())
            ASSERT_TRUE(std::isfinite(x));
        // Echoes ring on after the phrase has died away.
        SignalStats tail;
        for (std::size_t i = sink.Samples().size() - 44100; i < sink.Samples().size(); ++i)
            tail.Add(sink.Samples()[i]);
        EXPECT_GT(tail.peak, 0.0);
    }
}

TEST_F(VelmorandePlugin, PicturesItsEditorForTheCurrentState) {
    test::TempDir dir;
    test::WriteBytes(dir / "editor.png", EditorPictureAsPng(*plugin));
    auto picture = LoadPngFile((dir / "editor.png").string().c_str());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 530);
    EXPECT_EQ(picture->Height(), 210);
    // The Sync button is lit at the default program: its area differs once sync is off.
    auto pixelAt = [](const PixelBitmap& b, int x, int y) { return b.Bits()[y * b.RowSpan() + x]; };
    const std::uint32_t lit = pixelAt(*picture, 122, 93);
    ApplyParameter(*plugin, ParseParamAssignment("Host Sync=No"));
    test::WriteBytes(dir / "editor-off.png", EditorPictureAsPng(*plugin));
    auto off = LoadPngFile((dir / "editor-off.png").string().c_str());
    ASSERT_NE(off, nullptr);
    EXPECT_NE(pixelAt(*off, 122, 93), lit);
}

// At a scale the picture is the editor at that many pixels per panel pixel: the plug-in's
// nearest scale not above it.
TEST_F(VelmorandePlugin, PicturesItsEditorAtAScale) {
    test::TempDir dir;
    const struct {
        double scale;
        int width, height;
    } cases[] = {{1.0, 530, 210}, {1.5, 795, 315}, {2.0, 1060, 420}, {2.5, 1060, 420}};
    for (const auto& c : cases) {
        const auto file = dir / "editor.png";
        test::WriteBytes(file, EditorPictureAsPng(*plugin, c.scale));
        auto picture = LoadPngFile(file.string().c_str());
        ASSERT_NE(picture, nullptr) << c.scale;
        EXPECT_EQ(picture->Width(), c.width) << c.scale;
        EXPECT_EQ(picture->Height(), c.height) << c.scale;
    }
}

TEST(EditorPicture, RefusedByPluginsWithoutOne) {
    HostCallback host;
    auto plugin = PluginInstance::Load(FIXTURE_GAIN, host);
    EXPECT_THROW(EditorPictureAsPng(*plugin), HostError);
}

} // namespace
} // namespace vhost
