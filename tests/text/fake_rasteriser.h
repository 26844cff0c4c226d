#pragma once

#include "bitmap/heap_bitmap.h"
#include "bitmap/pixel_word.h"
#include "bitmap/text/glyph_rasteriser.h"

#include <map>
#include <memory>
#include <vector>

// A rasteriser that draws known shapes instead of letters, so that the coverage a
// GlyphFont stores can be predicted exactly. A character is a list of filled rectangles,
// placed relative to its pen position at the top of the line, and an advance.
class FakeRasteriser : public GlyphRasteriser {
public:
    struct Ink {
        int left, top, right, bottom; // exclusive right and bottom
        int value;                    // coverage 0..255
    };
    struct Shape {
        int advance = 0;
        std::vector<Ink> ink;
    };

    explicit FakeRasteriser(int lineHeight, bool* destroyed = nullptr)
        : lineHeight_(lineHeight), destroyed_(destroyed) {}
    ~FakeRasteriser() override {
        if (destroyed_) *destroyed_ = true;
    }

    FakeRasteriser& Define(char16_t code, Shape shape) {
        shapes_[code] = std::move(shape);
        return *this;
    }
    // A solid block filling columns 0 .. width - 1 of rows top .. bottom - 1.
    FakeRasteriser& Block(char16_t code, int advance, int width, int top, int bottom,
                          int value = 255) {
        return Define(code, {advance, {{0, top, width, bottom, value}}});
    }

    int LineHeight() const override { return lineHeight_; }
    CharExtent MeasureChar(PixelBitmap&, char16_t code) override {
        ++measured;
        const auto it = shapes_.find(code);
        return {it == shapes_.end() ? 0 : it->second.advance, lineHeight_};
    }
    bool DrawChar(PixelBitmap& surface, char16_t code, int x, int y) override {
        const auto it = shapes_.find(code);
        if (it == shapes_.end() || !surface.Bits()) return false;
        for (const Ink& ink : it->second.ink)
            for (int row = y + ink.top; row < y + ink.bottom; ++row)
                for (int col = x + ink.left; col < x + ink.right; ++col)
                    if (row >= 0 && col >= 0 && row < surface.Height() && col < surface.Width())
                        surface.Bits()[row * surface.RowSpan() + col] =
                            PackPixel(255, ink.value, ink.value, ink.value);
        return true;
    }
    std::unique_ptr<PixelBitmap> NewSurface() const override {
        return std::make_unique<HeapBitmap>(0, 0, 4);
    }

    int measured = 0;

private:
    int lineHeight_;
    bool* destroyed_;
    std::map<char16_t, Shape> shapes_;
};
