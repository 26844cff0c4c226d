#pragma once

// Font flags of a GlyphFont (AttachFont).
inline constexpr int FONT_VERTICAL = 0x1;  // text runs downward, glyphs turned clockwise
inline constexpr int FONT_BOTTOM_UP = 0x2; // with FONT_VERTICAL: upward, counter-clockwise
inline constexpr int FONT_PRECACHE = 0x4;  // render 0-127 on attach and nothing else
inline constexpr int FONT_BLUR = 0x10;
inline constexpr int FONT_INVERT = 0x20;
inline constexpr int FONT_MONO = 0x40;
inline constexpr int FONT_SHADOW = 0x80;
inline constexpr int FONT_OUTLINE = 0x100;
inline constexpr int FONT_OWNS_HANDLE = 0x200; // the font deletes its rasteriser
inline constexpr int FONT_NATIVE = 0x400;      // the platform may draw whole strings

// The flags that change glyph coverage or placement; any of them rules out platform drawing.
inline constexpr int FONT_GLYPH_EFFECTS = FONT_PRECACHE | FONT_VERTICAL | FONT_BOTTOM_UP |
                                          FONT_BLUR | FONT_INVERT | FONT_MONO | FONT_SHADOW |
                                          FONT_OUTLINE;

// Format flags of DrawString. The values are those of the Win32 DrawText flags so that a
// platform implementation can pass them on; the names differ because the Win32 ones are
// preprocessor macros.
inline constexpr unsigned TEXT_CENTER = 0x1;
inline constexpr unsigned TEXT_RIGHT = 0x2;
inline constexpr unsigned TEXT_VCENTER = 0x4;
inline constexpr unsigned TEXT_BOTTOM = 0x8;
inline constexpr unsigned TEXT_SINGLELINE = 0x20;
inline constexpr unsigned TEXT_NOCLIP = 0x100;
inline constexpr unsigned TEXT_CALCRECT = 0x400; // measure only
// Scale the font's alpha by the text colour's alpha byte for this call.
inline constexpr unsigned TEXT_FOREGROUND_ALPHA = 0x40000000;
// Draw glyph by glyph even where the platform could draw the string.
inline constexpr unsigned TEXT_FORCE_GLYPHS = 0x80000000;

inline constexpr unsigned TEXT_ALIGNMENT = TEXT_CENTER | TEXT_RIGHT | TEXT_VCENTER | TEXT_BOTTOM;

// Background modes (SetBackgroundMode).
inline constexpr int TEXT_BACKGROUND_TRANSPARENT = 1;
inline constexpr int TEXT_BACKGROUND_OPAQUE = 2;
