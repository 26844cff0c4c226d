#pragma once

#include "base/geometry.h"

// The effect's panel in panel pixels (right and bottom exclusive): its size, where each
// control lies over the background picture, the images drawn for them and the run-time
// text and colours. The editor layout builds its controls from this table and the artwork
// generator draws the pictures to fit it.
namespace panel {

struct Point {
    int x, y;
};
struct Size {
    int width, height;
};

inline constexpr Size kSize{530, 210};

// Run-time text: the read-outs under the knobs and faders, and the version.
inline constexpr int kValueTextSize = 16;
inline constexpr IPlugColor kValueTextColour{230, 255, 255, 255};
inline constexpr int kVersionTextSize = 13;
inline constexpr IPlugColor kVersionTextColour{100, 0, 0, 0};

inline constexpr IPlugRect kVersion{45, 12, 95, 30};
// Clickable: opens the maker's page.
inline constexpr IPlugRect kTitlePlate{175, 6, 367, 53};

// Rotary knobs turn a pointer image about their centre, the read-out underneath.
struct Knob {
    Point centre;
    int textOffset; // from the bottom of the image to the read-out
    int textWidth;  // 0: as wide as the image
};
inline constexpr int kKnobSweep = 300; // degrees
inline constexpr Size kDelayKnobImage{81, 81};
inline constexpr Knob kDelayKnob{{74, 124}, 8, 0};
inline constexpr Size kSmallKnobImage{50, 50};
// Pan Width, Feedback, Freq.
inline constexpr Knob kSmallKnobs[3] = {
    {{239, 122}, 13, 0}, {{310, 122}, 13, 0}, {{381, 122}, 13, 60}};

// Host Sync above the three mode buttons (Triplet, Dotted, Normal); their lit images are
// laid over the unlit buttons of the background.
inline constexpr Size kButtonImage{86, 20};
inline constexpr Point kSyncButton{115, 83};
inline constexpr Point kModeButtons{115, 103};
inline constexpr int kModeCount = 3;

// Faders (Dry, Wet): a handle image along a vertical track with a level bar below it.
inline constexpr Size kHandleImage{14, 31};
inline constexpr IPlugRect kFaders[2] = {{424, 79, 464, 191}, {461, 79, 501, 191}};
inline constexpr int kTrackLength = 96;
inline constexpr IPlugColor kBarColour{255, 66, 110, 200};
inline constexpr int kBarWidth = 2;
inline constexpr int kBarEndInset = 7;

// Where the controls put things, derived as they derive them; the artwork draws to fit.
constexpr int HalfAway(double v) {
    return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
}
// The point a knob's pointer image turns about: the middle of an image placed half its
// width (rounded down) left of the knob's centre.
constexpr float PivotX(const Knob& k, Size image) {
    return static_cast<float>(k.centre.x - image.width / 2) + image.width * 0.5f;
}
constexpr float PivotY(const Knob& k, Size image) {
    return static_cast<float>(k.centre.y - image.height / 2) + image.height * 0.5f;
}
// A knob's read-out: the bottom of its rectangle, one line high.
constexpr IPlugRect Readout(const Knob& k, Size image) {
    const int half = k.textWidth != 0 ? k.textWidth / 2 : HalfAway(image.width * 0.5);
    const int bottom = k.centre.y + HalfAway(image.height * 0.5) + k.textOffset + kValueTextSize;
    return {k.centre.x - half, bottom - kValueTextSize, k.centre.x + half, bottom};
}
// A fader's track: the handle's width centred in the fader, the track's length from its top.
constexpr IPlugRect Track(const IPlugRect& fader) {
    const double cx = (fader.left + fader.right) * 0.5;
    return {HalfAway(cx - kHandleImage.width * 0.5), fader.top,
            HalfAway(cx + kHandleImage.width * 0.5), fader.top + kTrackLength};
}
constexpr int Travel() {
    return kTrackLength - kHandleImage.height;
}
constexpr IPlugRect FaderReadout(const IPlugRect& fader) {
    return {fader.left, fader.bottom - kValueTextSize, fader.right, fader.bottom};
}
// Where the level bar stops, short of the end of the handle's travel.
constexpr int BarBottom(const IPlugRect& fader) {
    return fader.top + Travel() + kHandleImage.height - kBarEndInset;
}

} // namespace panel
