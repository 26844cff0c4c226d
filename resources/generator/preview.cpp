#include "preview.h"

#include "artwork.h"
#include "layout.h"

#include "bitmap/blit.h"
#include "bitmap/pixel_word.h"

#include <cmath>
#include <numbers>

namespace art {

namespace {

using namespace layout;

constexpr BlendMode kAlphaBlend = BLEND_COPY | BLEND_SOURCE_ALPHA;

int RoundHalfAway(double v) {
    return static_cast<int>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

std::uint32_t Word(const IPlugColor& c) {
    return c.Word();
}

// Rotated pointer as a knob draws it: source shifted towards the ends of the sweep.
void Knob(PixelBitmap& out, const PixelBitmap& image, int cx, int cy, float value) {
    const float half = static_cast<float>(panel::kKnobSweep * std::numbers::pi / 360.0);
    const double angle = 2.0 * value * half - static_cast<double>(half);
    const float s = -std::fabs(2.0f * value - 1.0f);
    const int w = image.Width(), h = image.Height();
    BlitRotated(&out, &image, cx - w / 2, cy - h / 2, w, h, s, s, static_cast<float>(w),
                static_cast<float>(h), static_cast<float>(angle), false, 1.0f,
                kAlphaBlend | BLEND_BILINEAR);
}

// Run-time text: Windows-style layout, top of the cell at `top`, centred or left aligned.
void Text(PixelBitmap& out, const Typeface& face, const std::string& text, const IPlugRect& r,
          bool centre, std::uint32_t colour) {
    const int left = r.left, top = r.top, right = r.right;
    const TextMask m = face.Render(text);
    const int width = static_cast<int>(std::ceil(m.advance));
    const int x = centre ? left + (right - left - width) / 2 : left;
    Canvas canvas{out};
    DrawMask(canvas, m, {x, top + face.CellAscent()},
             Rgb(static_cast<float>(PixelR(colour)), static_cast<float>(PixelG(colour)),
                 static_cast<float>(PixelB(colour))),
             static_cast<float>(PixelA(colour)) / 255.0f);
}

} // namespace

void ComposePreview(PixelBitmap& out, const Images& im, const Settings& s) {
    const Fonts& f = GetFonts(1.0f);
    BlitBitmap(&out, &im.bg, 0, 0, nullptr, 1.0f, BLEND_COPY);

    Text(out, f.version, "v1.01", panel::kVersion, false, Word(panel::kVersionTextColour));

    const std::uint32_t white = Word(panel::kValueTextColour);
    Knob(out, im.knob, panel::kDelayKnob.centre.x, panel::kDelayKnob.centre.y, s.delay);
    Text(out, f.value, s.delayText, kBigText, true, white);

    if (s.sync) BlitBitmap(&out, &im.but, kButtonLeft, kSyncTop, nullptr, 1.0f, kAlphaBlend);
    const int lit = kModeTop + kButtonHeight * s.mode;
    BlitBitmapArea(&out, &im.radio, kButtonLeft, lit, 0, lit - kModeTop, kButtonWidth,
                   kButtonHeight, 1.0f, kAlphaBlend);

    for (int i = 0; i < 3; ++i) {
        Knob(out, im.knob2, panel::kSmallKnobs[i].centre.x, panel::kSmallKnobs[i].centre.y,
             s.small[i]);
        Text(out, f.value, s.smallText[i], kSmallText[i], true, white);
    }

    for (int i = 0; i < 2; ++i) {
        const float v = s.fader[i];
        const int trackRight = kTrackLeft[i] + kHandleWidth;
        // Level bar from the handle's centre to the end of the track.
        const double d = kTravel * (1.0 - v);
        const double cx = (kTrackLeft[i] + trackRight) * 0.5;
        const int barTop = RoundHalfAway(d + kFaderTop + kHandleHeight / 2);
        const int w = panel::kBarWidth / 2;
        const int barLeft = RoundHalfAway(cx - w), barRight = RoundHalfAway(cx + w);
        if (kTravel + kHandleHeight / 2 - panel::kBarEndInset > d)
            FillRectangle(&out, barLeft, barTop, barRight - barLeft, kBarBottom - barTop,
                          Word(panel::kBarColour), 1.0f, kAlphaBlend);
        const int y = RoundHalfAway(kTravel * (1.0 - v) + kFaderTop);
        BlitBitmap(&out, &im.slider, kTrackLeft[i], y, nullptr, 1.0f, kAlphaBlend);
        Text(out, f.value, s.faderText[i], kFaderText[i], true, white);
    }
}

} // namespace art
