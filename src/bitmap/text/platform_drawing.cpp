// Whole strings handed to a platform text engine, for rasterisers that have one.
#include "bitmap/blit.h"
#include "bitmap/text/glyph_font.h"
#include "bitmap/text/shared_scratch.h"
#include "bitmap/utf8_to_utf16.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

using text_detail::SharedScratch;

namespace {

constexpr int kFixedUnits = 1024;
constexpr int kFixedUnitsUsable = 999;

// Bytes of the string: `length`, or up to the terminator when negative; a terminator
// inside the given length ends the string there too.
int StringBytes(const char* text, int length) {
    if (!text) return 0;
    if (length < 0) return static_cast<int>(std::strlen(text));
    const void* zero = std::memchr(text, 0, static_cast<std::size_t>(length));
    return zero ? static_cast<int>(static_cast<const char*>(zero) - text) : length;
}

} // namespace

bool GlyphFont::UsesPlatformDrawing(unsigned format) const {
    if (!handle_ || !handle_->DrawsStrings()) return false;
    if (lineHeight_ > kMaxGlyphDrawingLineHeight) return true;
    return (flags_ & FONT_NATIVE) && !(format & (TEXT_FORCE_GLYPHS | TEXT_FOREGROUND_ALPHA)) &&
           !(flags_ & FONT_GLYPH_EFFECTS) && (extraLineSpacing_ == 0 || (format & TEXT_SINGLELINE));
}

int GlyphFont::DrawPlatform(PixelBitmap* dest, const char* text, int length, IPlugRect& rect,
                            unsigned format) {
    PlatformText request;
    request.bytes = text ? text : "";
    request.byteCount = StringBytes(text, length);
    request.format = format & ~TEXT_FOREGROUND_ALPHA;
    request.colour = textColour_;
    request.backgroundMode = backgroundMode_;
    request.background = backgroundColour_;

    // Text beyond ASCII goes as UTF-16; if it is not valid UTF-8 the bytes go as they are.
    const bool multiByte = std::any_of(request.bytes, request.bytes + request.byteCount,
                                       [](char c) { return (c & 0x80) != 0; });
    char16_t fixed[kFixedUnits];
    std::unique_ptr<char16_t[]> heap;
    if (multiByte) {
        char16_t* units = fixed;
        int capacity = kFixedUnits;
        if (request.byteCount > kFixedUnitsUsable) {
            // Never more units than bytes.
            capacity = request.byteCount + 32;
            heap.reset(new (std::nothrow) char16_t[static_cast<std::size_t>(capacity)]);
            units = heap.get();
        }
        const int count =
            units ? Utf8ToUtf16Units(request.bytes, request.byteCount, units, capacity - 1) : -1;
        if (count >= 0) {
            units[count] = 0;
            request.units = units;
            request.unitCount = count;
        }
    }
    return DrawPlatformText(dest, request, rect);
}

int GlyphFont::DrawPlatformText(PixelBitmap* dest, const PlatformText& text, IPlugRect& rect) {
    if (dest && dest->DeviceContext()) return handle_->DrawWholeString(*dest, text, rect);

    SharedScratch& shared = SharedScratch::Get();
    std::lock_guard scratchLock(shared.Mutex());
    PixelBitmap* scratch = shared.StringSurface(*handle_, 4, 4);
    if (!scratch || !scratch->DeviceContext()) return 0;

    PlatformText measuring = text;
    measuring.format = (text.format & ~TEXT_ALIGNMENT) | TEXT_CALCRECT;
    IPlugRect box{};
    handle_->DrawWholeString(*scratch, measuring, box);
    const int width = box.W(), height = box.H();
    if (text.format & TEXT_CALCRECT) {
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return height;
    }
    if (!dest || !dest->Bits()) return 0;

    long long left = rect.left, top = rect.top;
    if (text.format & TEXT_RIGHT)
        left = static_cast<long long>(rect.right) - width;
    else if (text.format & TEXT_CENTER)
        left = (static_cast<long long>(rect.left) + rect.right - width) / 2;
    if (text.format & TEXT_BOTTOM)
        top = static_cast<long long>(rect.bottom) - height;
    else if (text.format & TEXT_VCENTER)
        top = (static_cast<long long>(rect.top) + rect.bottom - height) / 2;

    // The text box, limited to the bitmap and, when clipping, to the rectangle; widened to
    // the left for overhanging glyphs, but not past those limits.
    long long limitL = 0, limitT = 0, limitR = dest->Width(), limitB = dest->Height();
    if (!(text.format & TEXT_NOCLIP)) {
        limitL = std::max<long long>(limitL, rect.left);
        limitT = std::max<long long>(limitT, rect.top);
        limitR = std::min<long long>(limitR, rect.right);
        limitB = std::min<long long>(limitB, rect.bottom);
    }
    const int margin = lineHeight_ < 16 ? 2 : lineHeight_ / 16 + 2;
    const long long l = std::max(limitL, left - margin);
    const long long t = std::max(limitT, top);
    const long long r = std::min(limitR, left + width);
    const long long b = std::min(limitB, top + height);
    if (l >= r || t >= b) return 0;
    const int areaX = static_cast<int>(l), areaY = static_cast<int>(t);
    const int areaW = static_cast<int>(r - l), areaH = static_cast<int>(b - t);

    scratch = shared.StringSurface(*handle_, areaW, areaH);
    if (!scratch) return 0;
    BlitBitmapArea(scratch, dest, 0, 0, areaX, areaY, areaW, areaH, 1.0f, BLEND_COPY);
    auto shifted = [](int v, int by) {
        return static_cast<int>(
            std::clamp<long long>(static_cast<long long>(v) - by, INT_MIN, INT_MAX));
    };
    IPlugRect local{shifted(rect.left, areaX), shifted(rect.top, areaY), shifted(rect.right, areaX),
                    shifted(rect.bottom, areaY)};
    const int result = handle_->DrawWholeString(*scratch, text, local);
    BlitBitmapArea(dest, scratch, areaX, areaY, 0, 0, areaW, areaH, alpha_, BLEND_COPY);
    return result;
}
