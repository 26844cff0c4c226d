#include "support/test_host.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

TEST(Descriptor, FilledByTheEntryPoint) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* e = host.Create();
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
    EXPECT_TRUE(host.Requests().empty()) << "the host is not asked anything during creation";
}

// The identity itself is the effect's; the descriptor must agree with what the
// dispatcher says of the same instance.
TEST(Descriptor, AgreesWithTheDispatcher) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* e = host.Create();
    const std::string untouched(255, 'X');
    int params = 0, programs = 0;
    while (TestHost::Text(e, effGetParamName, params) != untouched)
        ++params;
    char name[64];
    while (TestHost::Dispatch(e, effGetProgramNameIndexed, programs, 0, name))
        ++programs;
    EXPECT_EQ(e->numParams, params);
    EXPECT_EQ(e->numPrograms, programs);
    EXPECT_EQ(e->version, TestHost::Dispatch(e, effGetVendorVersion));
    EXPECT_EQ(e->uniqueID, ('q' << 24) | ('z' << 16) | ('v' << 8) | 'n');
}

TEST(Descriptor, MainIsTheSameEntry) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    using Entry = AEffect* (*)(audioMasterCallback);
    auto main = reinterpret_cast<Entry>(host.Symbol("main"));
    ASSERT_NE(main, nullptr);
    AEffect* e = main(nullptr);
    ASSERT_NE(e, nullptr);
    AEffect* reference = host.Create();
    EXPECT_EQ(e->uniqueID, reference->uniqueID);
    EXPECT_EQ(e->numParams, reference->numParams);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

TEST(Descriptor, OnlyTheEntryPointsAreExported) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    EXPECT_EQ(host.Symbol("_ZN8IPlugVST8DispatchEiilPvf"), nullptr);
    EXPECT_EQ(host.Symbol("_ZN8VSTCLASS12ProcessBlockEPPdS1_i"), nullptr);
}

TEST(Descriptor, InstancesAreIndependent) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    AEffect* a = host.Open();
    AEffect* b = host.Open();
    ASSERT_NE(a, b);
    ASSERT_NE(a->object, b->object);
    TestHost::Dispatch(a, effSetProgram, 0, 3);
    a->setParameter(a, 5, 0.0f);
    EXPECT_EQ(TestHost::Dispatch(b, effGetProgram), 0);
    EXPECT_NE(b->getParameter(b, 5), a->getParameter(a, 5));
    host.Close(a);
    EXPECT_EQ(TestHost::Text(b, effGetProgramName), "---- default ----");
}
