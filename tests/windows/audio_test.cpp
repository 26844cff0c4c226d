// The DLL's audio against the Linux library's, for the same scenario through both entry
// points: the effect's arithmetic is the same on both platforms, bit for bit.
#include "audio_scenario.h"
#include "wine_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

TEST(Audio, MatchesTheLinuxLibrary) {
    std::vector<AudioStream> expected;
    ASSERT_TRUE(ReadStreams(Suite().referencePath.c_str(), expected)) << Suite().referencePath;
    ASSERT_EQ(expected.size(), 6u);
    for (VstPluginEntryProc proc : {Suite().entry, Suite().mainEntry}) {
        const std::vector<AudioStream> got = RenderAudioScenario(proc);
        ASSERT_EQ(got.size(), expected.size());
        double worst = 0.0;
        long long exact = 0, total = 0;
        bool finite = true, audible = false;
        for (std::size_t s = 0; s < got.size(); ++s) {
            EXPECT_EQ(got[s].name, expected[s].name);
            EXPECT_EQ(got[s].samples.size(), expected[s].samples.size());
            const std::size_t n = std::min(got[s].samples.size(), expected[s].samples.size());
            for (std::size_t i = 0; i < n; ++i) {
                const double a = got[s].samples[i], b = expected[s].samples[i];
                finite = finite && std::isfinite(a);
                audible = audible || std::fabs(a) > 0.1;
                const double d = std::fabs(a - b);
                worst = std::max(worst, std::isnan(d) ? 1.0 : d);
                exact += a == b;
                ++total;
            }
        }
        std::printf("   %lld of %lld samples bit for bit, largest difference %.3g\n", exact, total,
                    worst);
        EXPECT_TRUE(finite);
        EXPECT_TRUE(audible);
        EXPECT_LE(worst, 1e-9);
    }
}
