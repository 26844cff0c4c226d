#include "artwork.h"
#include "layout.h"
#include "noise.h"

#include "bitmap/blit.h"
#include "bitmap/pixel_word.h"

#include <cmath>

namespace art {

namespace {

using namespace layout;

constexpr float kSlotTop = 86.0f, kSlotBottom = 172.0f, kSlotHalf = 3.0f;

void Slot(Canvas& p, float cx) {
    const float l = cx - kSlotHalf, r = cx + kSlotHalf;
    Shade(p, static_cast<int>(l) - 3, static_cast<int>(kSlotTop) - 3, static_cast<int>(r) + 3,
          static_cast<int>(kSlotBottom) + 3, [&](float x, float y) {
              const float d = RoundRectDistance(x, y, l, kSlotTop, r, kSlotBottom, 3.0f);
              if (d > 0.0f) {
                  // Cut edge: in shadow, except the lip at the lower end that faces the light.
                  const float lip = p.Cover(d - 1.0f) * (1.0f - p.Cover(d));
                  return y > kSlotBottom ? Paint{Grey(255), 0.12f * lip}
                                         : Paint{Grey(0), 0.45f * lip};
              }
              float v = 9.0f;
              // Deeper at the top and left walls, where the light does not reach.
              v += 10.0f * SmoothStep(l, r, x) * SmoothStep(kSlotTop, kSlotTop + 6.0f, y);
              v -= 5.0f * std::exp(-(y - kSlotTop) / 3.0f);
              return Paint{Rgb(v * 0.9f, v * 0.96f, v * 1.1f), p.Cover(d)};
          });
}

// Scale between the two faders: a tick at every eighth of the travel (evenly spaced once
// snapped to pixel rows), on the rows where the handle's centre line lands; longer at the
// ends and the middle, medium at the quarters.
void Ticks(Canvas& p) {
    const float mid = (kFaderX[0] + kFaderX[1]) * 0.5f;
    for (int i = 0; i <= 8; ++i) {
        const float v = static_cast<float>(i) / 8.0f;
        const int y = static_cast<int>(
            std::floor(kFaderTop + kTravel * (1.0f - v) + (kHandleHeight / 2 + 0.5f)));
        const bool major = i % 4 == 0;
        const int half = major ? 5 : (i % 2 == 0 ? 4 : 2);
        const int x0 = static_cast<int>(mid) - half, x1 = static_cast<int>(mid) + half;
        // A tick is a panel pixel high, its shadow the row below.
        const int left = p.X(x0), right = p.X(x1) - 1;
        const int top = p.Y(y), thick = p.Edge(1.0f);
        for (int row = top + thick; row < top + 2 * thick; ++row)
            DrawLineSegment(&p.bitmap, left, row, right, row, PackPixel(255, 0, 0, 0), 0.45f,
                            BLEND_COPY, false);
        for (int row = top; row < top + thick; ++row)
            DrawLineSegment(&p.bitmap, left, row, right, row, PackPixel(255, 150, 156, 166),
                            major ? 0.85f : 0.55f, BLEND_COPY, false);
    }
}

} // namespace

void DrawFaderSlots(Canvas& p) {
    Slot(p, kFaderX[0]);
    Slot(p, kFaderX[1]);
    Ticks(p);
}

void DrawHandle(Canvas& h) {
    const int w = kHandleWidth, ht = kHandleHeight;
    const float mid = static_cast<float>(ht) * 0.5f;
    Shade(h, 0, 0, w, ht, [&](float x, float y) {
        const float ty = y / static_cast<float>(ht);
        // Brushed dark cap with a lighter top face, bevelled on all four sides.
        float v = 92.0f - 40.0f * ty;
        v += Brushed(0xFADu, x * 3.0f, y) * 3.0f;
        const float edgeX = std::min(x, static_cast<float>(w) - x);
        const float edgeY = std::min(y, static_cast<float>(ht) - y);
        if (y < 1.5f)
            v += 70.0f;
        else if (y > ht - 1.5f)
            v -= 45.0f;
        else if (edgeX < 1.0f)
            v += x < w * 0.5f ? 22.0f : -28.0f;
        v -= 8.0f * (1.0f - SmoothStep(0.0f, 3.0f, edgeY));
        // Grip grooves above and below the ridge.
        const float dy = std::fabs(y - mid);
        if (dy > 4.0f && dy < 12.0f && edgeX >= 2.0f) {
            const float phase = std::fmod(dy - 4.0f, 3.0f);
            if (phase < 1.0f)
                v -= 22.0f;
            else if (phase < 2.0f)
                v += 8.0f;
        }
        // The white centre ridge on the middle row marks the value; its shadow lies below.
        Colour c = Rgb(v * 0.97f, v * 0.99f, v * 1.04f);
        const int row = static_cast<int>(y), centre = ht / 2;
        if (edgeX >= 1.0f) {
            if (row == centre)
                c = Rgb(246, 247, 250);
            else if (row == centre - 1)
                c = Mix(c, Grey(200), 0.5f);
            else if (row == centre + 1)
                c = Grey(14);
        }
        return Paint{c, 1.0f};
    });
}

} // namespace art
