#include "bitmap/text/font_cache.h"
#include "bitmap/text/glyph_font.h"
#include "bitmap/text/text_flags.h"
#include "editor/plug_editor.h"

bool IPlugEditor::DrawText(IPlugText& style, const char* text, const IPlugRect& rect) {
    if (!text || !text[0]) return true;
    GlyphFont* font = nullptr;
    if (scale_.IsOne()) {
        font = style.cachedFont ? style.cachedFont : GetFont(style);
    } else {
        // The font of the scaled size, from the cache that holds every size side by side;
        // the style keeps the font of its own size.
        IPlugText scaled = style;
        scaled.size = scale_.ToDevice(style.size);
        scaled.cachedFont = nullptr;
        font = GetFont(scaled);
    }
    if (!font) return false;
    // Fonts are shared by every editor in the process: colour and drawing go together.
    const auto lock = font->Lock();
    font->SetForeground(style.colour.Word());
    unsigned format = TEXT_NOCLIP;
    if (style.colour.A != 255) format |= TEXT_FOREGROUND_ALPHA;
    if (style.align == TEXT_ALIGN_CENTER)
        format |= TEXT_CENTER;
    else if (style.align != TEXT_ALIGN_LEFT)
        format |= TEXT_RIGHT;
    IPlugRect r = scale_.ToDevice(rect);
    font->DrawString(bitmap_.get(), text, -1, r, format);
    return true;
}
