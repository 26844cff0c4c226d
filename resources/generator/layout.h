#pragma once

// Where the editor places its controls over the panel, in panel pixels (right and bottom
// exclusive). Centres are continuous coordinates: the rotated pointer images turn about
// these points, so the knob bodies are drawn around exactly them.
namespace layout {

inline constexpr int kWidth = 530;
inline constexpr int kHeight = 210;

// Light aluminium strip holding the version text and the title plate.
inline constexpr int kHeaderBottom = 59;

// Version text (drawn at run time, translucent black) and the clickable title plate.
inline constexpr int kVersionLeft = 45, kVersionTop = 12, kVersionRight = 95, kVersionBottom = 30;
inline constexpr int kPlateLeft = 175, kPlateTop = 6, kPlateRight = 367, kPlateBottom = 53;

// Large knob: an 81 x 81 pointer image placed at (34, 84) turns about its own centre.
inline constexpr float kBigX = 74.5f, kBigY = 124.5f;
inline constexpr int kBigImage = 81;
inline constexpr int kBigTextLeft = 33, kBigTextTop = 173, kBigTextRight = 115,
                     kBigTextBottom = 189;

// Small knobs: 50 x 50 images placed at (centre - 25), so they turn about pixel corners.
inline constexpr float kSmallX[3] = {239.0f, 310.0f, 381.0f};
inline constexpr float kSmallY = 122.0f;
inline constexpr int kSmallImage = 50;
inline constexpr int kSmallTextTop = 160, kSmallTextBottom = 176;
inline constexpr int kSmallTextLeft[3] = {214, 285, 351};
inline constexpr int kSmallTextRight[3] = {264, 335, 411};

// Sync button and the three mode buttons under it, 86 x 20 each.
inline constexpr int kButtonLeft = 115, kButtonWidth = 86, kButtonHeight = 20;
inline constexpr int kSyncTop = 83, kModeTop = 103;

// Faders: handle 14 x 31 travelling 65 pixels down from the track top.
inline constexpr int kFaderLeft[2] = {424, 461};
inline constexpr int kFaderRight[2] = {464, 501};
inline constexpr int kTrackLeft[2] = {437, 474};
inline constexpr int kFaderTop = 79, kFaderBottom = 191, kTravel = 65;
inline constexpr int kHandleWidth = 14, kHandleHeight = 31;
inline constexpr float kFaderX[2] = {444.0f, 481.0f};
inline constexpr int kFaderTextTop = 175;
// The run-time level bar ends here.
inline constexpr int kBarBottom = 168;

} // namespace layout
