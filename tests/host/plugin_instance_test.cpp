// The instance wrapper against in-process effects that answer oddly.
#include "host/audio_stream.h"
#include "host/command_errors.h"
#include "host/renderer.h"
#include "host/text_match.h"
#include "vsthost/plugin_instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace vhost {
namespace {

struct Fake {
    AEffect effect{};
    std::function<VstIntPtr(VstInt32, VstInt32, VstIntPtr, void*, float)> answer;
    std::vector<VstInt32> opcodes;
    std::vector<VstIntPtr> values;
    VstIntPtr hostVersionSeenAtEntry = -1;
    bool returnNull = false;

    Fake() {
        effect.magic = kEffectMagic;
        effect.dispatcher = &Fake::Dispatch;
        effect.numInputs = 2;
        effect.numOutputs = 2;
    }
    static VstIntPtr VSTCALLBACK Dispatch(AEffect* e, VstInt32 op, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt) {
        Fake* f = current;
        f->opcodes.push_back(op);
        f->values.push_back(value);
        (void)e;
        return f->answer ? f->answer(op, index, value, ptr, opt) : 0;
    }
    static AEffect* VSTCALLBACK Entry(audioMasterCallback host) {
        current->hostVersionSeenAtEntry = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
        return current->returnNull ? nullptr : &current->effect;
    }
    bool Received(VstInt32 op) const {
        return std::find(opcodes.begin(), opcodes.end(), op) != opcodes.end();
    }
    static inline Fake* current = nullptr;
};

class PluginInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { Fake::current = &fake; }
    void TearDown() override { Fake::current = nullptr; }
    std::unique_ptr<PluginInstance> Create() {
        return PluginInstance::FromEntry(Fake::Entry, host);
    }
    Fake fake;
    HostCallback host;
};

TEST_F(PluginInstanceTest, OpensOnCreationAndClosesOnDestruction) {
    {
        auto plugin = Create();
        EXPECT_EQ(fake.opcodes, std::vector<VstInt32>{effOpen});
    }
    EXPECT_EQ(fake.opcodes.back(), effClose);
    EXPECT_EQ(fake.hostVersionSeenAtEntry, 2400);
}

TEST_F(PluginInstanceTest, NoEffectFromTheEntryPoint) {
    fake.returnNull = true;
    EXPECT_THROW(Create(), HostError);
}

TEST_F(PluginInstanceTest, WrongMagicIsRefusedWithoutTouchingTheDispatcher) {
    fake.effect.magic = 0x12345678;
    try {
        Create();
        FAIL() << "expected a HostError";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("magic"), std::string::npos);
    }
    EXPECT_TRUE(fake.opcodes.empty());
}

TEST_F(PluginInstanceTest, MissingDispatcherIsRefused) {
    fake.effect.dispatcher = nullptr;
    EXPECT_THROW(Create(), HostError);
}

TEST_F(PluginInstanceTest, ImplausibleCountsAreRefusedAndTheEffectClosed) {
    for (auto setter : std::vector<std::function<void(AEffect&)>>{
             [](AEffect& e) { e.numParams = -1; }, [](AEffect& e) { e.numParams = 1 << 30; },
             [](AEffect& e) { e.numPrograms = -5; }, [](AEffect& e) { e.numInputs = 100000; },
             [](AEffect& e) { e.numOutputs = -2; }}) {
        Fake local;
        Fake::current = &local;
        setter(local.effect);
        EXPECT_THROW(PluginInstance::FromEntry(Fake::Entry, host), HostError);
        EXPECT_TRUE(local.Received(effClose));
    }
    Fake::current = &fake;
}

TEST_F(PluginInstanceTest, CountsChangedByOpenAreCheckedToo) {
    fake.answer = [this](VstInt32 op, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        if (op == effOpen) fake.effect.numOutputs = 1 << 20;
        return 0;
    };
    EXPECT_THROW(Create(), HostError);
    EXPECT_TRUE(fake.Received(effClose));
}

TEST_F(PluginInstanceTest, UnterminatedTextsAreCutAtTheBuffer) {
    fake.effect.numParams = 1;
    fake.answer = [](VstInt32 op, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
        if (op == effGetParamName && ptr) std::memset(ptr, 'A', 1024);
        return 0;
    };
    auto plugin = Create();
    std::string name = plugin->ParamName(0);
    EXPECT_EQ(name.size(), 1023u);
    EXPECT_EQ(name.find_first_not_of('A'), std::string::npos);
}

TEST_F(PluginInstanceTest, MissingParameterCallbacksAreHarmless) {
    fake.effect.numParams = 2;
    auto plugin = Create();
    plugin->SetParameter(0, 0.5f);
    EXPECT_EQ(plugin->GetParameter(0), 0.0f);
}

TEST_F(PluginInstanceTest, ChunksWithoutDataOrWithImplausibleSizesAreRefused) {
    static std::uint8_t bytes[4] = {1, 2, 3, 4};
    VstIntPtr size = 0;
    void* data = nullptr;
    fake.answer = [&](VstInt32 op, VstInt32, VstIntPtr, void* ptr, float) -> VstIntPtr {
        if (op == effGetChunk && ptr) *static_cast<void**>(ptr) = data;
        return op == effGetChunk ? size : 0;
    };
    auto plugin = Create();
    size = 4;
    data = nullptr;
    EXPECT_THROW(plugin->GetChunk(true), HostError);
    size = -4;
    data = bytes;
    EXPECT_THROW(plugin->GetChunk(false), HostError);
    size = kMaxChunkBytes + 1;
    EXPECT_THROW(plugin->GetChunk(true), HostError);
    size = 0;
    EXPECT_THROW(plugin->GetChunk(true), HostError);
    size = 4;
    EXPECT_EQ(plugin->GetChunk(true), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST_F(PluginInstanceTest, SetChunkHandsOverSizeAndALiveCopy) {
    std::vector<std::uint8_t> seen;
    VstInt32 seenIndex = -1;
    fake.answer = [&](VstInt32 op, VstInt32 index, VstIntPtr value, void* ptr, float) -> VstIntPtr {
        if (op != effSetChunk) return 0;
        seenIndex = index;
        auto* p = static_cast<const std::uint8_t*>(ptr);
        seen.assign(p, p + value);
        return 1;
    };
    auto plugin = Create();
    std::vector<std::uint8_t> data = {9, 8, 7};
    EXPECT_EQ(plugin->SetChunk(false, data), 1);
    EXPECT_EQ(seenIndex, 0);
    EXPECT_EQ(seen, data);
    EXPECT_EQ(plugin->SetChunk(true, {}), 1);
    EXPECT_EQ(seenIndex, 1);
    EXPECT_TRUE(seen.empty());
}

TEST_F(PluginInstanceTest, ProgramNamesFallBackToSelectingTheProgram) {
    fake.effect.numPrograms = 3;
    VstIntPtr current = 2;
    fake.answer = [&](VstInt32 op, VstInt32, VstIntPtr value, void* ptr, float) -> VstIntPtr {
        switch (op) {
        case effSetProgram:
            current = value;
            return 0;
        case effGetProgram:
            return current;
        case effGetProgramName:
            std::snprintf(static_cast<char*>(ptr), 24, "Program %d", static_cast<int>(current));
            return 0;
        default:
            return 0; // no effGetProgramNameIndexed
        }
    };
    auto plugin = Create();
    EXPECT_FALSE(plugin->ProgramNameIndexed(0));
    EXPECT_EQ(plugin->ProgramNameAt(0), "Program 0");
    EXPECT_EQ(current, 2);
    EXPECT_EQ(plugin->ProgramNameAt(2), "Program 2");
}

TEST_F(PluginInstanceTest, PrepareSendsOnlyChanges) {
    float rate = 0.0f;
    fake.answer = [&](VstInt32 op, VstInt32, VstIntPtr, void*, float opt) -> VstIntPtr {
        if (op == effSetSampleRate) rate = opt;
        return 0;
    };
    auto plugin = Create();
    plugin->Prepare(48000.0, 256);
    plugin->Prepare(48000.0, 256);
    plugin->Prepare(48000.0, 128);
    EXPECT_EQ(rate, 48000.0f);
    EXPECT_EQ(std::count(fake.opcodes.begin(), fake.opcodes.end(), effSetSampleRate), 1);
    EXPECT_EQ(std::count(fake.opcodes.begin(), fake.opcodes.end(), effSetBlockSize), 2);
    EXPECT_EQ(host.SampleRate(), 48000.0);
    EXPECT_EQ(host.BlockSize(), 128);
}

TEST_F(PluginInstanceTest, ProcessingIsSwitchedOffBeforeClosing) {
    {
        auto plugin = Create();
        plugin->SetActive(true);
        plugin->SetActive(true);
    }
    std::vector<VstInt32> expected = {effOpen,        effMainsChanged, effStartProcess,
                                      effStopProcess, effMainsChanged, effClose};
    EXPECT_EQ(fake.opcodes, expected);
    EXPECT_EQ(fake.values[1], 1);
    EXPECT_EQ(fake.values[4], 0);
}

TEST_F(PluginInstanceTest, CreatedWithoutOpeningUntilAsked) {
    auto plugin = PluginInstance::FromEntry(Fake::Entry, host, {}, Startup::CreateOnly);
    EXPECT_TRUE(fake.opcodes.empty());
    plugin->Open();
    EXPECT_EQ(fake.opcodes, std::vector<VstInt32>{effOpen});
}

TEST_F(PluginInstanceTest, AudioCallbacksThatAreMissingAreNotCalled) {
    auto plugin = Create();
    float* none[1] = {nullptr};
    double* noneDouble[1] = {nullptr};
    EXPECT_FALSE(plugin->ProcessReplacing(none, none, 16));
    EXPECT_FALSE(plugin->ProcessAccumulating(none, none, 16));
    EXPECT_FALSE(plugin->ProcessDoubleReplacing(noneDouble, noneDouble, 16));
}

TEST_F(PluginInstanceTest, ProcessModesNeedBothFlagAndCallback) {
    fake.effect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    auto plugin = Create();
    EXPECT_FALSE(plugin->Supports(ProcessMode::Replacing));
    EXPECT_FALSE(plugin->Supports(ProcessMode::DoubleReplacing));
    EXPECT_FALSE(plugin->Supports(ProcessMode::Accumulating));
    EXPECT_THROW(ChooseProcessMode(*plugin, Precision::Single), HostError);
    EXPECT_THROW(ChooseProcessMode(*plugin, Precision::Double), HostError);
}

TEST_F(PluginInstanceTest, RenderingNeedsOutputs) {
    fake.effect.numOutputs = 0;
    fake.effect.flags = effFlagsCanReplacing;
    fake.effect.processReplacing = [](AEffect*, float**, float**, VstInt32) {};
    auto plugin = Create();
    MemorySource source({0.0, 0.0}, 2, 44100.0);
    MemorySink sink;
    EXPECT_THROW(Render(*plugin, source, sink, RenderSettings{}), HostError);
    EXPECT_FALSE(fake.Received(effMainsChanged));
}

TEST_F(PluginInstanceTest, APlugInWithoutInputsGetsAValidInputArray) {
    fake.effect.numInputs = 0;
    fake.effect.numOutputs = 1;
    fake.effect.flags = effFlagsCanReplacing;
    fake.effect.processReplacing = [](AEffect*, float** in, float** out, VstInt32 frames) {
        ASSERT_NE(in, nullptr);
        for (VstInt32 i = 0; i < frames; ++i)
            out[0][i] = 0.5f;
    };
    auto plugin = Create();
    MemorySource source({0.1, 0.2, 0.3}, 1, 44100.0);
    MemorySink sink;
    sink.SetChannels(1);
    RenderReport report = Render(*plugin, source, sink, RenderSettings{});
    EXPECT_EQ(sink.Samples(), (std::vector<double>{0.5, 0.5, 0.5}));
    EXPECT_EQ(report.outputChannels, 1);
}

TEST(TextHelpers, TrimAndCompareNames) {
    EXPECT_EQ(Trimmed("  Gain \t\n"), "Gain");
    EXPECT_EQ(Trimmed("   "), "");
    EXPECT_TRUE(SameName(" delay rate", "Delay Rate "));
    EXPECT_FALSE(SameName("Delay", "Delay Rate"));
}

} // namespace
} // namespace vhost
