#pragma once

#include "bitmap/text/glyph_font.h"
#include "fake_rasteriser.h"

#include <gtest/gtest.h>

#include <memory>

// A GlyphFont over a fake rasteriser it owns.
inline std::unique_ptr<GlyphFont> MakeFont(FakeRasteriser* rasteriser, int flags = 0) {
    auto font = std::make_unique<GlyphFont>();
    font->AttachFont(rasteriser, flags | FONT_OWNS_HANDLE);
    return font;
}

// The rendered record of code, failing the test when there is none.
inline const GlyphRecord& Rendered(GlyphFont& font, std::uint16_t code) {
    EXPECT_TRUE(font.RasteriseGlyph(code)) << "code " << code;
    static const GlyphRecord none{};
    const GlyphRecord* record = font.FindGlyph(code);
    return record ? *record : none;
}

inline int MaskAt(const GlyphFont& font, const GlyphRecord& record, int x, int y) {
    return font.Coverage(record)[y * record.width + x];
}
