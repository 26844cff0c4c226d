#include "vst/loaded_plugin.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

TEST(Descriptor, FilledByTheEntryPoint) {
    LoadedPlugin plugin;
    AEffect* e = plugin.Create();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags & ~effFlagsHasEditor, 0x1018) << "replacing, double, mono";
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    for (char c : e->future)
        EXPECT_EQ(c, 0);
    EXPECT_TRUE(plugin.host.requests().empty()) << "the host is not asked anything during creation";
}

// The identity itself is the effect's; the descriptor must agree with what the
// dispatcher says of the same instance.
TEST(Descriptor, AgreesWithTheDispatcher) {
    LoadedPlugin plugin;
    AEffect* e = plugin.Create();
    const std::string untouched(255, 'X');
    int params = 0, programs = 0;
    while (LoadedPlugin::Text(e, effGetParamName, params) != untouched)
        ++params;
    char name[64];
    while (LoadedPlugin::Dispatch(e, effGetProgramNameIndexed, programs, 0, name))
        ++programs;
    EXPECT_EQ(e->numParams, params);
    EXPECT_EQ(e->numPrograms, programs);
    EXPECT_EQ(e->version, LoadedPlugin::Dispatch(e, effGetVendorVersion));
    EXPECT_EQ(e->uniqueID, ('q' << 24) | ('z' << 16) | ('v' << 8) | 'n');
}

TEST(Descriptor, MainIsTheSameEntry) {
    LoadedPlugin plugin;
    using Entry = AEffect* (*)(audioMasterCallback);
    auto main = reinterpret_cast<Entry>(plugin.Symbol("main"));
    ASSERT_NE(main, nullptr);
    AEffect* e = main(nullptr);
    ASSERT_NE(e, nullptr);
    AEffect* reference = plugin.Create();
    EXPECT_EQ(e->uniqueID, reference->uniqueID);
    EXPECT_EQ(e->numParams, reference->numParams);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

TEST(Descriptor, OnlyTheEntryPointsAreExported) {
    LoadedPlugin plugin;
    EXPECT_EQ(plugin.Symbol("_ZN8IPlugVST8DispatchEiilPvf"), nullptr);
    EXPECT_EQ(plugin.Symbol("_ZN8VSTCLASS12ProcessBlockEPPdS1_i"), nullptr);
}

TEST(Descriptor, InstancesAreIndependent) {
    LoadedPlugin plugin;
    AEffect* a = plugin.Open();
    AEffect* b = plugin.Open();
    ASSERT_NE(a, b);
    ASSERT_NE(a->object, b->object);
    LoadedPlugin::Dispatch(a, effSetProgram, 0, 3);
    a->setParameter(a, 5, 0.0f);
    EXPECT_EQ(LoadedPlugin::Dispatch(b, effGetProgram), 0);
    EXPECT_NE(b->getParameter(b, 5), a->getParameter(a, 5));
    plugin.Close(a);
    EXPECT_EQ(LoadedPlugin::Text(b, effGetProgramName), "---- default ----");
}
