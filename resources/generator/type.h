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
    // narrows (< 1) or widens the glyphs. Exits the program when no such font exists.
    Typeface(const char* family, const char* style, float size, Size kind = Size::Em,
             float xScale = 1.0f);
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    // Extra space between letters in pixels (tracking) may be negative.
    TextMask Render(std::string_view text, float tracking = 0.0f) const;
    // Ascent above the baseline as a Windows font reports it (rounded), for run-time text.
    int CellAscent() const;
    float CapHeight() const;

private:
    struct Face;
    std::unique_ptr<Face> face_;
};

// Composites a mask with its pen start at x and its baseline at y.
void DrawMask(PixelBitmap& bitmap, const TextMask& mask, int x, int y, Colour c,
              float alpha = 1.0f);
// The mask softened by a small Gaussian, grown by `radius` pixels on every side.
TextMask Blurred(const TextMask& mask, float sigma, int radius);

// Pen start that centres a line of the given advance on cx.
inline int CentredStart(float cx, const TextMask& mask) {
    return static_cast<int>(std::floor(cx - mask.advance * 0.5f + 0.5f));
}

} // namespace art
