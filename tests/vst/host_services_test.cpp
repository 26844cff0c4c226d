#include "support/test_host.h"

#include <gtest/gtest.h>

#include <vector>

// The host is identified once, however often the effect is opened; a host without a name
// is not asked its version.
TEST(HostServices, IdentifiesTheHostOnceOnOpen) {
    const struct {
        const char* product;
        int opens, productAsks, versionAsks;
    } rows[] = {{"REAPER", 2, 1, 1}, {"", 1, 1, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.product);
        TestHost host(VELMORANDE_PLUGIN_PATH, row.product);
        AEffect* e = host.Create();
        for (int i = 0; i < row.opens; ++i)
            TestHost::Dispatch(e, effOpen);
        EXPECT_EQ(host.Count(audioMasterGetProductString), row.productAsks);
        EXPECT_EQ(host.Count(audioMasterGetVendorVersion), row.versionAsks);
    }
}

TEST(HostServices, TempoIsAskedEveryBlock) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    host.SetTempo(120.0);
    AEffect* e = host.Open();
    std::vector<double> buf(64);
    double* io[2] = {buf.data(), buf.data()};
    host.ClearRequests();
    e->processDoubleReplacing(e, io, io, 64);
    e->processDoubleReplacing(e, io, io, 64);
    ASSERT_EQ(host.Count(audioMasterGetTime), 2);
    EXPECT_EQ(host.Requests()[0].value, kVstTempoValid);
}

TEST(HostServices, TempoWithoutValidFlagMeansNoTempo) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    host.SetTempo(120.0);
    host.WithholdTimeFlags(kVstTempoValid);
    AEffect* e = host.Open();
    e->setParameter(e, 7, 0.5f);
    std::vector<double> l(64, 1.0), out(64);
    double* ins[2] = {l.data(), l.data()};
    double* outs[2] = {out.data(), out.data()};
    e->processDoubleReplacing(e, ins, outs, 64);
    EXPECT_EQ(out[0], 0.5) << "dry only: no delay line without a tempo";
}

TEST(HostServices, TempoChangeWithSyncOffAutomatesDelayTime) {
    TestHost host(VELMORANDE_PLUGIN_PATH);
    host.SetTempo(120.0);
    AEffect* e = host.Open();
    e->setParameter(e, 2, 0.0f); // host sync off
    host.ClearRequests();
    std::vector<double> buf(64);
    double* io[2] = {buf.data(), buf.data()};
    e->processDoubleReplacing(e, io, io, 64);
    ASSERT_EQ(host.Count(audioMasterAutomate, 1), 1);
    EXPECT_EQ(host.Count(audioMasterBeginEdit), 0);
    char display[64];
    TestHost::Dispatch(e, effGetParamDisplay, 1, 0, display);
    EXPECT_STREQ(display, "31") << "500 of the initial range, moved into the tempo's range";
}
