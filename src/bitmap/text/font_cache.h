#pragma once

#include "bitmap/text/glyph_font.h"
#include "bitmap/text/plug_text.h"

// The font of a text style from the process-wide font cache, shared by every plug-in
// instance: fonts are keyed by size, orientation, style bits and face name (exact), made on
// the first request and kept until the library unloads. Also stores the font in the
// style's cachedFont. Null when the platform cannot make the font.
GlyphFont* GetFont(IPlugText& style);

// Number of fonts in the cache.
int FontCacheSize();
