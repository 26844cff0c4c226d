// The DLL's exports, the descriptor its entry points give and the dispatcher's answers, on
// the Windows layout of the binary interface.
#include "wine_environment.h"
#include "wine_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(Exports, BothEntryPointsAndNoLoaderEntry) {
    EXPECT_NE(Suite().entry, nullptr);
    EXPECT_NE(Suite().mainEntry, nullptr);
    EXPECT_EQ(GetProcAddress(Suite().Module(), "DllMain"), nullptr);
}

TEST(Descriptor, FilledByEitherEntryPoint) {
    for (VstPluginEntryProc proc : {Suite().entry, Suite().mainEntry}) {
        TestHost host;
        auto instance =
            vhost::PluginInstance::FromEntry(proc, host, {}, vhost::Startup::CreateOnly);
        const AEffect& e = instance->Effect();
        EXPECT_TRUE(host.Requests().empty()) << "the host is not asked during creation";
        EXPECT_EQ(e.magic, kEffectMagic);
        EXPECT_EQ(e.numPrograms, 25);
        EXPECT_EQ(e.numParams, 9);
        EXPECT_EQ(e.numInputs, 2);
        EXPECT_EQ(e.numOutputs, 2);
        EXPECT_EQ(e.flags, 0x1019) << "replacing, double, mono, editor";
        EXPECT_EQ(e.uniqueID, 0x717A766E);
        EXPECT_EQ(e.version, 10100);
        EXPECT_EQ(e.initialDelay, 0);
        EXPECT_EQ(e.ioRatio, 1.0f);
        EXPECT_TRUE(e.process && e.processReplacing && e.processDoubleReplacing);
        EXPECT_TRUE(e.setParameter && e.getParameter && e.dispatcher);
        EXPECT_NE(e.object, nullptr);
    }
}

TEST(Descriptor, InstancesAreIndependent) {
    TestHost host;
    auto a = vhost::PluginInstance::FromEntry(Suite().entry, host, {}, vhost::Startup::CreateOnly);
    auto b = vhost::PluginInstance::FromEntry(Suite().entry, host, {}, vhost::Startup::CreateOnly);
    ASSERT_NE(&a->Effect(), &b->Effect());
    EXPECT_NE(a->Effect().object, b->Effect().object);
    a->SetParameter(kFeedback, 0.25f);
    EXPECT_NE(b->GetParameter(kFeedback), a->GetParameter(kFeedback));
}

TEST(Dispatcher, Answers) {
    HostedPlugin fx(Suite().entry);
    EXPECT_GE(fx.host.Count(audioMasterGetProductString), 1u);
    EXPECT_EQ(fx.Text(effGetEffectName), "Velmorande");
    EXPECT_EQ(fx.Dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(fx.Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(fx.Text(effGetParamName, kFeedback), "Feedback");
    EXPECT_EQ(fx.Text(effGetParamLabel, kFeedback), "%");
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), "60");
    EXPECT_EQ(fx.Text(effGetParamDisplay, kPingPong), "Normal");
    EXPECT_EQ(fx.Instance().CanDo("receiveVstTimeInfo"), 1);

    ERect* rect = nullptr;
    EXPECT_NE(fx.Dispatch(effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 210);
    EXPECT_EQ(rect->right, 530);
}

TEST(Dispatcher, Programs) {
    HostedPlugin fx(Suite().entry);
    EXPECT_EQ(fx.Dispatch(effGetProgram), 0);
    fx.Dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.Dispatch(effGetProgram), 3);
    char name[64] = {};
    EXPECT_EQ(fx.Dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_GT(std::strlen(name), 0u);
}

TEST(Dispatcher, ProgramChunkRestoresTheValues) {
    HostedPlugin fx(Suite().entry);
    const float feedback = fx.Get(kFeedback);
    void* chunk = nullptr;
    const VstIntPtr size = fx.Dispatch(effGetChunk, 1, 0, &chunk);
    ASSERT_GT(size, 0);
    ASSERT_NE(chunk, nullptr);
    std::vector<char> saved(static_cast<const char*>(chunk),
                            static_cast<const char*>(chunk) + size);
    fx.Set(kFeedback, 0.0f);
    EXPECT_EQ(fx.Get(kFeedback), 0.0f);
    EXPECT_EQ(fx.Dispatch(effSetChunk, 1, size, saved.data()), 1);
    EXPECT_EQ(fx.Get(kFeedback), feedback);
}

TEST(Dispatcher, ParameterFromText) {
    // As hosts do for typed automation values.
    HostedPlugin fx(Suite().entry);
    EXPECT_TRUE(fx.Instance().String2Parameter(kFeedback, "75"));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), "75");
}
