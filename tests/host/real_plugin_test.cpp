// Renders through a real VST 2.x plug-in from the system when one is installed (Debian's
// dpf-plugins-vst, for example); skipped otherwise.
#include "host/audio_stream.h"
#include "host/plugin_info.h"
#include "host/plugin_params.h"
#include "host/plugin_state.h"
#include "host/renderer.h"
#include "host/text_match.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vhost {
namespace {

// Stereo effects we know to be plain audio processors, in order of preference.
std::filesystem::path FindRealPlugin() {
    const char* dirs[] = {"/usr/lib/vst", "/usr/lib/x86_64-linux-gnu/vst", "/usr/local/lib/vst",
                          "/usr/lib/lxvst", "/usr/local/lib/lxvst"};
    const char* names[] = {"MVerb-vst.so", "PingPongPan-vst.so", "3BandEQ-vst.so", "ZamComp-vst.so",
                           "ZamEQ2-vst.so"};
    for (const char* name : names)
        for (const char* dir : dirs) {
            std::filesystem::path p = std::filesystem::path(dir) / name;
            std::error_code ec;
            if (std::filesystem::is_regular_file(p, ec)) return p;
        }
    return {};
}

class RealPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        path = FindRealPlugin();
        if (path.empty()) GTEST_SKIP() << "no VST 2.x plug-in installed (e.g. dpf-plugins-vst)";
    }
    std::filesystem::path path;
};

TEST_F(RealPlugin, LoadsListsAndRenders) {
    HostCallback host;
    auto plugin = PluginInstance::Load(path, host);
    EXPECT_GT(plugin->NumOutputs(), 0);
    std::ostringstream info;
    PrintPluginInfo(*plugin, info);
    EXPECT_NE(info.str().find("Parameters ("), std::string::npos);

    const std::size_t frames = 44100;
    std::vector<double> input(frames * 2);
    for (std::size_t i = 0; i < frames; ++i)
        input[2 * i] = input[2 * i + 1] = (i % 4410 == 0) ? 0.8 : 0.0; // clicks
    MemorySource source(std::move(input), 2, 44100.0);
    MemorySink sink;
    sink.SetChannels(plugin->NumOutputs());
    RenderSettings settings;
    settings.tailSeconds = 0.5;
    RenderReport report = Render(*plugin, source, sink, settings);
    EXPECT_EQ(report.outputFrames, 44100 + 22050);
    EXPECT_EQ(sink.Samples().size(),
              static_cast<std::size_t>(report.outputFrames) * plugin->NumOutputs());
    EXPECT_GT(report.output.peak, 0.0);
    for (double x : sink.Samples())
        ASSERT_TRUE(std::isfinite(x));
}

TEST_F(RealPlugin, ParametersByDisplayedValueAndStateRoundTrip) {
    HostCallback host;
    auto plugin = PluginInstance::Load(path, host);
    if (plugin->NumParams() == 0) GTEST_SKIP() << "the plug-in has no parameters";
    // Pick a value the parameter itself displays, then ask for it by that text.
    plugin->SetParameter(0, 0.3f);
    std::string shown = Trimmed(plugin->ParamDisplay(0));
    plugin->SetParameter(0, 0.9f);
    ParamOutcome r = ApplyParameter(*plugin, ParseParamAssignment("0=" + shown));
    EXPECT_TRUE(r.exact) << shown << " -> " << r.display;
    EXPECT_NEAR(plugin->GetParameter(0), 0.3f, 0.01f);

    test::TempDir dir;
    test::SaveState(*plugin, dir / "state.fxp");
    auto other = PluginInstance::Load(path, host);
    std::vector<std::string> warnings;
    LoadStateFile(*other, dir / "state.fxp", warnings);
    for (VstInt32 i = 0; i < plugin->NumParams(); ++i)
        EXPECT_NEAR(other->GetParameter(i), plugin->GetParameter(i), 1e-6) << i;
}

} // namespace
} // namespace vhost
