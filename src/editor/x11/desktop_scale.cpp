#include "editor/x11/desktop_scale.h"

#include "editor/display_scale.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace desktop_scale {

namespace {

std::optional<double> Positive(std::string_view text) {
    const std::string s(text);
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || !std::isfinite(v) || v <= 0.0) return std::nullopt;
    // Only white space may follow the number.
    for (; *end; ++end)
        if (*end != ' ' && *end != '\t' && *end != '\r') return std::nullopt;
    return v;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<double> FromEnvironment(const char* gdkScale, const char* qtScaleFactor) {
    if (gdkScale && *gdkScale) {
        const long whole = std::strtol(gdkScale, nullptr, 10);
        return whole > 0 ? static_cast<double>(whole) : 1.0;
    }
    if (qtScaleFactor && *qtScaleFactor) return Positive(qtScaleFactor);
    return std::nullopt;
}

std::optional<double> XftDpi(std::string_view resources) {
    // The tightest name that is set wins, as in a resource lookup.
    constexpr std::string_view kNames[] = {"Xft.dpi", "Xft*dpi", "*dpi", "*.dpi"};
    std::optional<double> found[std::size(kNames)];
    while (!resources.empty()) {
        const std::size_t newline = resources.find('\n');
        std::string_view line = resources.substr(0, newline);
        resources.remove_prefix(newline == std::string_view::npos ? resources.size() : newline + 1);
        line = Trim(line);
        if (line.empty() || line.front() == '!') continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = Trim(line.substr(0, colon));
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            if (name == kNames[i]) found[i] = Positive(Trim(line.substr(colon + 1)));
    }
    for (const std::optional<double>& dpi : found)
        if (dpi) return dpi;
    return std::nullopt;
}

double Factor(xcb_connection_t* connection) {
    if (const auto f = FromEnvironment(std::getenv("GDK_SCALE"), std::getenv("QT_SCALE_FACTOR")))
        return *f;
    if (!connection || xcb_connection_has_error(connection)) return 1.0;
    // The database xrdb loads lives on the first screen's root window.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) return 1.0;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, screen->root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0,
                         1 << 20),
        nullptr);
    if (!reply) return 1.0;
    const std::string_view resources(
        static_cast<const char*>(xcb_get_property_value(reply)),
        static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    const std::optional<double> dpi = XftDpi(resources);
    std::free(reply);
    return dpi ? *dpi / DisplayScale::kBaseDpi : 1.0;
}

} // namespace desktop_scale
