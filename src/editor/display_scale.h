#pragma once

#include "base/geometry.h"

#include <cmath>

// How many device pixels the editor draws for each panel pixel. The layout and the
// controls stay in panel pixels; drawing, input and windows are in device pixels. Only the
// scales the panel's images are drawn at are used, so that every pixel on the screen is a
// pixel of the art: a factor between two of them takes the lower one, so the panel is never
// larger than the host or desktop asked for.
class DisplayScale {
public:
    // In percent; the images of the panel exist at each of these.
    static constexpr int kPercents[] = {100, 150, 200};
    // The screen density that is one device pixel per panel pixel.
    static constexpr double kBaseDpi = 96.0;

    constexpr DisplayScale() = default;
    // The largest scale not above the factor; 1 for smaller factors and for anything that is
    // not a number.
    static DisplayScale ForFactor(double factor) {
        int chosen = kPercents[0];
        if (std::isfinite(factor))
            for (int percent : kPercents)
                if (percent <= factor * 100.0 + 1e-6) chosen = percent;
        return DisplayScale(chosen);
    }
    static DisplayScale ForDpi(double dpi) { return ForFactor(dpi / kBaseDpi); }

    constexpr int Percent() const { return percent_; }
    constexpr double Factor() const { return percent_ / 100.0; }
    constexpr bool IsOne() const { return percent_ == 100; }

    // The device pixel edge of a panel coordinate: the nearest, halves up.
    constexpr int ToDevice(int panel) const { return FloorDiv(2 * panel * percent_ + 100, 200); }
    constexpr IPlugRect ToDevice(const IPlugRect& r) const {
        return {ToDevice(r.left), ToDevice(r.top), ToDevice(r.right), ToDevice(r.bottom)};
    }
    // The panel pixel a device pixel lies in: the last whose device edge is not beyond it.
    constexpr int ToPanel(int device) const { return CeilDiv((2 * device + 1) * 50, percent_) - 1; }
    // The smallest panel rectangle whose device pixels cover r.
    constexpr IPlugRect PanelCover(const IPlugRect& r) const {
        return {ToPanel(r.left), ToPanel(r.top), CeilDiv((2 * r.right - 1) * 50, percent_),
                CeilDiv((2 * r.bottom - 1) * 50, percent_)};
    }

    constexpr bool operator==(const DisplayScale&) const = default;

private:
    constexpr explicit DisplayScale(int percent) : percent_(percent) {}
    static constexpr int FloorDiv(int a, int b) {
        return a / b - (a % b != 0 && (a < 0) != (b < 0));
    }
    static constexpr int CeilDiv(int a, int b) { return -FloorDiv(-a, b); }

    int percent_ = 100;
};
