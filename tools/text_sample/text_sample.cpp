// Draws the effect's read-outs in its two text styles and writes them as a PNG, so that a
// person can judge the text rendering: text_sample [out.png] (default docs/text-sample.png).
// The top half is at actual size; the bottom half shows parts of it enlarged four times.
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"
#include "bitmap/text/font_cache.h"

#include <cstdio>

namespace {

constexpr int kWidth = 530, kHeight = 210;
constexpr const char* kTexts[] = {"500ms", "1/8", "6000Hz", "v1.01"};

IPlugText Style(const char* face, int size, IPlugColor colour) {
    IPlugText style;
    style.SetFace(face);
    style.size = size;
    style.colour = colour;
    style.align = TEXT_ALIGN_CENTER;
    return style;
}

// What the editor does for one text: the style's colour, centred, not clipped, and the
// colour's alpha applied when it is not opaque.
bool DrawText(PixelBitmap& panel, IPlugText& style, const char* text, IPlugRect rect) {
    GlyphFont* font = style.cachedFont ? style.cachedFont : GetFont(style);
    if (!font) return false;
    unsigned format = TEXT_NOCLIP | TEXT_CENTER;
    if (style.colour.A != 255) format |= TEXT_FOREGROUND_ALPHA;
    auto lock = font->Lock();
    font->SetForeground(style.colour.Word());
    font->DrawString(&panel, text, -1, rect, format);
    return true;
}

// Copies a w x h area of src to (dx, dy) in dest, each pixel as a scale x scale square.
void Enlarge(PixelBitmap& dest, const PixelBitmap& src, int sx, int sy, int w, int h, int dx,
             int dy, int scale) {
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x) {
            const int tx = dx + x, ty = dy + y;
            if (tx < 0 || ty < 0 || tx >= dest.Width() || ty >= dest.Height()) continue;
            dest.Bits()[ty * dest.RowSpan() + tx] =
                src.Bits()[(sy + y / scale) * src.RowSpan() + sx + x / scale];
        }
}

} // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "docs/text-sample.png";
    HeapBitmap panel(kWidth, kHeight, 4);
    if (!panel.Bits()) return 1;

    // A dark panel for the white style, a light one for the black, each with a subtle
    // vertical gradient as the effect's background has.
    const int half = kWidth / 2;
    for (int y = 0; y < kHeight; ++y) {
        FillRectangle(&panel, 0, y, half, 1, 0xFF000000u | ((34 + y / 14) * 0x010101u), 1.0f,
                      BLEND_COPY);
        FillRectangle(&panel, half, y, kWidth - half, 1, 0xFF000000u | ((222 - y / 14) * 0x010101u),
                      1.0f, BLEND_COPY);
    }

    IPlugText white = Style("Arial", 16, {230, 255, 255, 255});
    IPlugText black = Style("Verdana", 13, {100, 0, 0, 0});
    IPlugText caption = Style("Verdana", 11, {160, 128, 128, 128});
    DrawText(panel, caption, "Arial 16, white at 230", {0, 4, half, 18});
    DrawText(panel, caption, "Verdana 13, black at 100", {half, 4, kWidth, 18});

    // Read-outs in 2 x 2 boxes of 120 x 24 on each side, as the editor places its values.
    for (int i = 0; i < 4; ++i) {
        const int bx = 12 + (i % 2) * 125, by = 24 + (i / 2) * 30;
        if (!DrawText(panel, white, kTexts[i], {bx, by, bx + 120, by + 24}) ||
            !DrawText(panel, black, kTexts[i], {half + bx, by, half + bx + 120, by + 24})) {
            std::fprintf(stderr, "text_sample: no font\n");
            return 1;
        }
    }

    // Enlarged: "500ms" of each side, 60 x 24 pixels around the centre of its box.
    HeapBitmap copy(kWidth, kHeight, 4);
    BlitBitmap(&copy, &panel, 0, 0, nullptr, 1.0f, BLEND_COPY);
    Enlarge(panel, copy, 42, 24, 60, 24, 12, 110, 4);
    Enlarge(panel, copy, half + 42, 24, 60, 24, half + 12, 110, 4);

    if (!WritePngFile(panel, out)) {
        std::fprintf(stderr, "text_sample: cannot write %s\n", out);
        return 1;
    }
    std::printf("wrote %s\n", out);
    return 0;
}
