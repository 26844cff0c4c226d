#include "editor/drawn_entry.h"

#include "bitmap/blit.h"
#include "bitmap/text/font_cache.h"
#include "bitmap/text/plug_text.h"

namespace {

IPlugText Style(const EntryFont& font, std::uint32_t colour) {
    IPlugText style;
    style.SetFace(font.face.c_str());
    style.size = font.size;
    style.style = (font.bold ? TEXT_STYLE_BOLD : 0) | (font.italic ? TEXT_STYLE_ITALIC : 0);
    style.colour = IPlugColor{static_cast<int>(colour >> 24), static_cast<int>(colour >> 16 & 255),
                              static_cast<int>(colour >> 8 & 255), static_cast<int>(colour & 255)};
    return style;
}

} // namespace

namespace entry_look {

void Fill(PixelBitmap& bitmap, const IPlugRect& r, std::uint32_t colour) {
    FillRectangle(&bitmap, r.left, r.top, r.W(), r.H(), colour, 1.0f, BLEND_COPY);
}

void Write(PixelBitmap& bitmap, const EntryFont& font, const std::string& text, const IPlugRect& r,
           std::uint32_t colour) {
    if (text.empty()) return;
    IPlugText style = Style(font, colour);
    GlyphFont* glyphs = GetFont(style);
    if (!glyphs) return;
    const auto lock = glyphs->Lock();
    glyphs->SetForeground(colour);
    IPlugRect area = r;
    glyphs->DrawString(&bitmap, text.c_str(), static_cast<int>(text.size()), area,
                       TEXT_SINGLELINE | TEXT_VCENTER);
}

int TextWidth(const EntryFont& font, const std::string& text) {
    if (text.empty()) return 0;
    IPlugText style = Style(font, kText);
    GlyphFont* glyphs = GetFont(style);
    if (!glyphs) return 0;
    const auto lock = glyphs->Lock();
    IPlugRect r{0, 0, 0, 0};
    glyphs->DrawString(nullptr, text.c_str(), static_cast<int>(text.size()), r,
                       TEXT_CALCRECT | TEXT_SINGLELINE);
    return r.right - r.left;
}

} // namespace entry_look
