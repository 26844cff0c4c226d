// Where the X11 layer finds the desktop's scale, without a server: the toolkits' variables
// and the Xft.dpi resource as xrdb leaves it.
#include "editor/x11/desktop_scale.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(DesktopScale, TheToolkitsVariablesAsTheToolkitsReadThem) {
    const struct {
        const char* gdk;
        const char* qt;
        std::optional<double> factor;
    } cases[] = {
        {nullptr, nullptr, std::nullopt},
        {"", "", std::nullopt},
        {"2", nullptr, 2.0},
        {"2", "1.5", 2.0},     // GDK_SCALE first
        {"1.5", nullptr, 1.0}, // GTK takes the whole number
        {"0", nullptr, 1.0},   // and 0 as 1
        {"x", "2", 1.0},       // a GDK_SCALE that is set is GTK's scale, readable or not
        {nullptr, "1.5", 1.5},
        {"", "1.75", 1.75},
        {nullptr, "0", std::nullopt}, // Qt ignores factors that are not positive
        {nullptr, "-2", std::nullopt},
        {nullptr, "abc", std::nullopt},
        {nullptr, "2x", std::nullopt},
        {nullptr, "nan", std::nullopt},
        {nullptr, "inf", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.gdk ? c.gdk : "unset") << " / " << (c.qt ? c.qt : "unset"));
        EXPECT_EQ(desktop_scale::FromEnvironment(c.gdk, c.qt), c.factor);
    }
}

TEST(DesktopScale, XftDpiFromTheResourceDatabase) {
    const struct {
        const char* resources;
        std::optional<double> dpi;
    } cases[] = {
        {"", std::nullopt},
        {"Xft.dpi:\t192\n", 192.0},
        {"Xcursor.size:\t24\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144.0},
        {"Xft.dpi: 120.5", 120.5},       // no newline at the end
        {"  Xft.dpi :  96  \r\n", 96.0}, // spaces around
        {"! Xft.dpi: 192\nXft.dpi:\t96\n", 96.0},
        {"*dpi:\t144\nXft.dpi:\t192\n", 192.0}, // the exact name wins
        {"Xft.dpi:\t192\n*dpi:\t144\n", 192.0},
        {"*dpi:\t144\n", 144.0},
        {"Xft*dpi:\t168\n*dpi:\t144\n", 168.0},
        {"Xft.dpi:\t0\n", std::nullopt},
        {"Xft.dpi:\t-96\n", std::nullopt},
        {"Xft.dpi:\tlarge\n", std::nullopt},
        {"Xft.dpi:\t192dpi\n", std::nullopt},
        {"Xft.dpix:\t192\nXxft.dpi:\t192\nXft.dpi\t192\n", std::nullopt},
        {"XTerm*dpi:\t192\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktop_scale::XftDpi(c.resources), c.dpi) << c.resources;
}

} // namespace
