// How the effect names its host from the product name and version the host gives.
#include "core/host_ids.h"
#include "plugin/velmorande.h"
#include "support/in_process_plug.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Named {
    const char* product;
    int id;
};

// The effect made directly, on a host of the given identity, which it learns on effOpen.
struct IdentifiedEffect : InProcessPlug<VSTCLASS> {
    IdentifiedEffect(const char* product, VstIntPtr version) { host.SetIdentity(product, version); }
};

} // namespace

// The rules, not the list: a listed word in any capitals anywhere in the product name, the
// list's order deciding when a name holds two, nothing for a name not listed. The hosts
// named are the ones the effect treats apart: Acoustica's editor window takes the keyboard
// focus, and four hosts get their inputs limited to stereo.
TEST(HostIdentity, ProductNamesAreMatchedByRule) {
    const std::string longName = std::string(200, 'x') + "Ardour";
    const Named names[] = {
        {"REAPER", kHostReaper},
        {"reaper64", kHostReaper},
        {"Cockos Reaper", kHostReaper},
        {longName.c_str(), kHostArdour},
        {"Nuendo and Cubase", kHostCubase}, // cubase is tried before nuendo
        {"Oliver's deliverer", kHostLive},  // any word holding "live"
        {"Acoustica Mixcraft", kHostAcoustica},
        {"Forte 4", kHostForte},
        {"Adobe Audition", kHostAudition},
        {"Orion", kHostOrion},
        {"SAWStudio64", kHostSawStudio},
        {"Bitwig Studio", kHostUnknown},
        {"", kHostUnknown},
    };
    for (const Named& n : names)
        EXPECT_EQ(IPlugVST::HostIdFromName(n.product), n.id) << n.product;
    EXPECT_EQ(IPlugVST::HostIdFromName(nullptr), kHostUnknown);
}

TEST(HostIdentity, AskedOnceOnOpenWithItsVersion) {
    IdentifiedEffect fx("Ardour", 50201);
    EXPECT_EQ(fx.host.Count(audioMasterGetProductString), 0u) << "not asked before effOpen";
    fx.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(fx.HostId(), kHostArdour);
    EXPECT_EQ(fx.HostVersion(), 0x00050201);
    fx.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(fx.host.Count(audioMasterGetProductString), 1u);
    EXPECT_EQ(fx.host.Count(audioMasterGetVendorVersion), 1u);
}

TEST(HostIdentity, ANamelessHostIsUnknownAndItsVersionNotAsked) {
    IdentifiedEffect fx("", 50201);
    fx.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(fx.HostId(), kHostUnknown);
    EXPECT_EQ(fx.HostVersion(), 0);
    EXPECT_EQ(fx.host.Count(audioMasterGetVendorVersion), 0u);
}
