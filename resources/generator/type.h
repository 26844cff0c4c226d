#pragma once

#include "canvas.h"

#include <memory>
#include <string_view>
#include <vector>

// Printed words: fonts found through fontconfig and rasterised with FreeType into coverage
// masks, which are then composited like any other shape.
namespace art {

// A line of text as float coverage (0..1), positioned by its pen start and baseline.
struct TextMask {
    int width = 0, height = 0;
    int left = 0;      // mask column of the pen start
    int baseline = 0;  // mask row of the baseline
    float advance = 0; // pen travel of the whole line
    std::vector<float> coverage;

    float At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
        return coverage[static_cast<std::size_t>(y) * width + x];
    }
};

class Typeface {
public:
    // How the size is meant: the em square in pixels, or the cell height (ascent plus
    // descent) that a Windows font of that height has.
    enum class Size { Em, Cell };

    // family and style as fontconfig knows them ("Liberation Sans", "Bold"); xScale
    // narrows (< 1) or widens the glyphs; the size is in panel pixels, drawn at `scale`
    // device pixels each. Exits the program when no such font exists.
    Typeface(const char* family, const char* style, float size, Size kind = Size::Em,
             float xScale = 1.0f, float scale = 1.0f);
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    // A line in device pixels. Extra space between letters in panel pixels (tracking) may
    // be negative.
    TextMask Render(std::string_view text, float tracking = 0.0f) const;
    // Ascent above the baseline as a Windows font reports it (rounded), for run-time text,
    // and the height of capitals, in device pixels.
    int CellAscent() const;
    float CapHeight() const;

private:
    struct Face;
    std::unique_ptr<Face> face_;
};

// Where a line of text goes: pen start and baseline, in device pixels of the whole panel.
struct Pen {
    int x = 0, y = 0;
};
// The pen at a panel position, and the pen that centres a line on cx.
inline Pen PenAt(const Canvas& c, float x, float baseline) {
    return {c.Edge(x), c.Edge(baseline)};
}
inline Pen CentredPen(const Canvas& c, float cx, float baseline, const TextMask& mask) {
    return {static_cast<int>(std::floor(cx * c.scale - mask.advance * 0.5f + 0.5f)),
            c.Edge(baseline)};
}

// Composites a mask at a pen.
void DrawMask(Canvas& c, const TextMask& mask, Pen pen, Colour colour, float alpha = 1.0f);
// The mask softened by a small Gaussian, grown by `radius` pixels on every side.
TextMask Blurred(const TextMask& mask, float sigma, int radius);

} // namespace art
