#pragma once

#include "plugin/layout/panel_layout.h"

// The panel as the artwork sees it: the positions of the effect's layout table (panel
// pixels, right and bottom exclusive) in the form the drawing code uses, and the geometry
// that belongs to the pictures alone. Centres are continuous coordinates: the rotated
// pointer images turn about these points, so the knob bodies are drawn around exactly them.
namespace layout {

inline constexpr int kWidth = panel::kSize.width;
inline constexpr int kHeight = panel::kSize.height;

// Light aluminium strip holding the version text and the title plate.
inline constexpr int kHeaderBottom = 59;

// Version text (drawn at run time, translucent black) and the clickable title plate.
inline constexpr int kVersionLeft = panel::kVersion.left, kVersionTop = panel::kVersion.top,
                     kVersionRight = panel::kVersion.right;
inline constexpr int kPlateLeft = panel::kTitlePlate.left, kPlateTop = panel::kTitlePlate.top,
                     kPlateRight = panel::kTitlePlate.right,
                     kPlateBottom = panel::kTitlePlate.bottom;

// Large knob.
inline constexpr float kBigX = panel::PivotX(panel::kDelayKnob, panel::kDelayKnobImage);
inline constexpr float kBigY = panel::PivotY(panel::kDelayKnob, panel::kDelayKnobImage);
inline constexpr int kBigImage = panel::kDelayKnobImage.width;
inline constexpr IPlugRect kBigText = panel::Readout(panel::kDelayKnob, panel::kDelayKnobImage);

// Small knobs.
inline constexpr float kSmallX[3] = {panel::PivotX(panel::kSmallKnobs[0], panel::kSmallKnobImage),
                                     panel::PivotX(panel::kSmallKnobs[1], panel::kSmallKnobImage),
                                     panel::PivotX(panel::kSmallKnobs[2], panel::kSmallKnobImage)};
inline constexpr float kSmallY = panel::PivotY(panel::kSmallKnobs[0], panel::kSmallKnobImage);
inline constexpr int kSmallImage = panel::kSmallKnobImage.width;
inline constexpr IPlugRect kSmallText[3] = {
    panel::Readout(panel::kSmallKnobs[0], panel::kSmallKnobImage),
    panel::Readout(panel::kSmallKnobs[1], panel::kSmallKnobImage),
    panel::Readout(panel::kSmallKnobs[2], panel::kSmallKnobImage)};

// Sync button and the three mode buttons under it.
inline constexpr int kButtonLeft = panel::kSyncButton.x;
inline constexpr int kButtonWidth = panel::kButtonImage.width;
inline constexpr int kButtonHeight = panel::kButtonImage.height;
inline constexpr int kSyncTop = panel::kSyncButton.y, kModeTop = panel::kModeButtons.y;
static_assert(panel::kModeButtons.x == kButtonLeft && kModeTop == kSyncTop + kButtonHeight,
              "the buttons sit in one tray");

// Faders: the handle travels down from the track top.
inline constexpr IPlugRect kFader[2] = {panel::kFaders[0], panel::kFaders[1]};
inline constexpr int kTrackLeft[2] = {panel::Track(kFader[0]).left, panel::Track(kFader[1]).left};
inline constexpr int kFaderTop = kFader[0].top, kTravel = panel::Travel();
static_assert(kFader[1].top == kFaderTop, "the faders' tracks start on one row");
inline constexpr int kHandleWidth = panel::kHandleImage.width;
inline constexpr int kHandleHeight = panel::kHandleImage.height;
inline constexpr float kFaderX[2] = {(kFader[0].left + kFader[0].right) * 0.5f,
                                     (kFader[1].left + kFader[1].right) * 0.5f};
inline constexpr IPlugRect kFaderText[2] = {panel::FaderReadout(kFader[0]),
                                            panel::FaderReadout(kFader[1])};
// The run-time level bar ends here.
inline constexpr int kBarBottom = panel::BarBottom(kFader[0]);

} // namespace layout
