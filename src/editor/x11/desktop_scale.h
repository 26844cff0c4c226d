#pragma once

#include <optional>
#include <string_view>

#include <xcb/xcb.h>

// The scale an X11 desktop asks for, as the toolkits of Linux hosts find it: GDK_SCALE
// (GTK's window scale), then QT_SCALE_FACTOR, when set; otherwise the Xft.dpi resource of the
// X server (96 is a scale of 1), which desktops set for every toolkit.
namespace desktop_scale {

// The factor the toolkits' variables ask for, if any. GDK_SCALE is read as GTK reads it: its
// whole number, 0 meaning 1; QT_SCALE_FACTOR as Qt does: a positive number, else not set.
std::optional<double> FromEnvironment(const char* gdkScale, const char* qtScaleFactor);

// Xft.dpi in an X resource database as xrdb leaves it in the RESOURCE_MANAGER property:
// "name:<white space>value" lines, '!' comments, the exact name before the looser
// Xft*dpi and *dpi. None when it is not set or not a positive number.
std::optional<double> XftDpi(std::string_view resources);

// The factor for the X server of a connection, the environment first.
double Factor(xcb_connection_t* connection);

} // namespace desktop_scale
