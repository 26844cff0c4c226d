#include "vst/loaded_plugin.h"

#include <gtest/gtest.h>

#include <vector>

TEST(HostServices, IdentifiesTheHostOnceOnOpen) {
    LoadedPlugin plugin("REAPER");
    AEffect* e = plugin.Create();
    LoadedPlugin::Dispatch(e, effOpen);
    LoadedPlugin::Dispatch(e, effOpen);
    EXPECT_EQ(plugin.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(plugin.Count(audioMasterGetVendorVersion), 1);
}

TEST(HostServices, NamelessHostIsNotAskedItsVersion) {
    LoadedPlugin plugin("");
    AEffect* e = plugin.Create();
    LoadedPlugin::Dispatch(e, effOpen);
    EXPECT_EQ(plugin.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(plugin.Count(audioMasterGetVendorVersion), 0);
}

TEST(HostServices, TempoIsAskedEveryBlock) {
    LoadedPlugin plugin;
    SetTempo(plugin, 120.0);
    AEffect* e = plugin.Open();
    std::vector<double> buf(64);
    double* io[2] = {buf.data(), buf.data()};
    plugin.host.clearRequests();
    e->processDoubleReplacing(e, io, io, 64);
    e->processDoubleReplacing(e, io, io, 64);
    ASSERT_EQ(plugin.Count(audioMasterGetTime), 2);
    EXPECT_EQ(plugin.host.requests()[0].value, kVstTempoValid);
}

TEST(HostServices, TempoWithoutValidFlagMeansNoTempo) {
    LoadedPlugin plugin;
    SetTempo(plugin, 120.0);
    plugin.host.withholdTimeFlags(kVstTempoValid);
    AEffect* e = plugin.Open();
    e->setParameter(e, 7, 0.5f);
    std::vector<double> l(64, 1.0), out(64);
    double* ins[2] = {l.data(), l.data()};
    double* outs[2] = {out.data(), out.data()};
    e->processDoubleReplacing(e, ins, outs, 64);
    EXPECT_EQ(out[0], 0.5) << "dry only: no delay line without a tempo";
}

TEST(HostServices, TempoChangeWithSyncOffAutomatesDelayTime) {
    LoadedPlugin plugin;
    SetTempo(plugin, 120.0);
    AEffect* e = plugin.Open();
    e->setParameter(e, 2, 0.0f); // host sync off
    plugin.host.clearRequests();
    std::vector<double> buf(64);
    double* io[2] = {buf.data(), buf.data()};
    e->processDoubleReplacing(e, io, io, 64);
    ASSERT_EQ(plugin.Count(audioMasterAutomate, 1), 1);
    EXPECT_EQ(plugin.Count(audioMasterBeginEdit), 0);
    char display[64];
    LoadedPlugin::Dispatch(e, effGetParamDisplay, 1, 0, display);
    EXPECT_STREQ(display, "31") << "500 of the initial range, moved into the tempo's range";
}
