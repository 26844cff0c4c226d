#include "host/progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <thread>

namespace vhost {
namespace {

TEST(Progress, LineShowsTheFraction) {
    EXPECT_EQ(FormatProgressLine(0.0, 10), "[----------]   0%");
    EXPECT_EQ(FormatProgressLine(0.5, 10), "[#####-----]  50%");
    EXPECT_EQ(FormatProgressLine(0.999, 4), "[###-]  99%");
    EXPECT_EQ(FormatProgressLine(1.0, 4), "[####] 100%");
}

TEST(Progress, OutOfRangeFractionsAreHeldInRange) {
    EXPECT_EQ(FormatProgressLine(-3.0, 4), "[----]   0%");
    EXPECT_EQ(FormatProgressLine(7.0, 4), "[####] 100%");
    EXPECT_EQ(FormatProgressLine(std::nan(""), 4), "[----]   0%");
    EXPECT_EQ(FormatProgressLine(0.5, 0), "[-]  50%");
}

TEST(Progress, DisabledBarsStaySilent) {
    std::ostringstream out;
    {
        ProgressBar bar(out, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(550));
        bar.Update(0.5);
        bar.Update(1.0);
    }
    EXPECT_TRUE(out.str().empty());
}

TEST(Progress, ShortRendersShowNoBarAndLongOnesAreClearedAfterwards) {
    std::ostringstream quick;
    {
        ProgressBar bar(quick, true);
        bar.Update(1.0);
    }
    EXPECT_TRUE(quick.str().empty());

    std::ostringstream slow;
    ProgressBar bar(slow, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(550));
    bar.Update(0.25);
    EXPECT_NE(slow.str().find("[##########------------------------------]  25%"),
              std::string::npos);
    bar.Finish();
    EXPECT_EQ(slow.str().back(), '\r');
    std::string before = slow.str();
    bar.Finish();
    EXPECT_EQ(slow.str(), before);
}

} // namespace
} // namespace vhost
