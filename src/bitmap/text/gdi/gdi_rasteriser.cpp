#include "bitmap/text/gdi/gdi_rasteriser.h"

#include "bitmap/text/plug_text.h"
#include "bitmap/text/text_flags.h"
#include "bitmap/win32/dib_bitmap.h"

#include <atomic>

namespace {

// The font selected into a device context for one scope.
class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : dc_(dc), previous_(SelectObject(dc, font)) {}
    ~SelectedFont() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

int FontQuality(int quality) {
    switch (quality) {
    case TEXT_QUALITY_DEFAULT:
        return DEFAULT_QUALITY;
    case TEXT_QUALITY_CLEARTYPE:
        return CLEARTYPE_QUALITY;
    case TEXT_QUALITY_ANTIALIASED:
        return ANTIALIASED_QUALITY;
    default:
        return NONANTIALIASED_QUALITY;
    }
}

COLORREF ColourRef(std::uint32_t word) {
    return RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF);
}

const wchar_t* Wide(const char16_t* units) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text");
    return reinterpret_cast<const wchar_t*>(units);
}

} // namespace

bool RunningUnderCompatibilityLayer() {
    static std::atomic<int> known{-1};
    int value = known.load();
    if (value < 0) {
        HKEY key = nullptr;
        value = RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) == ERROR_SUCCESS ? 1 : 0;
        if (value) RegCloseKey(key);
        known.store(value);
    }
    return value == 1;
}

std::unique_ptr<GdiRasteriser> GdiRasteriser::Create(const FontRequest& request) {
    const int escapement = request.orientation * 10;
    HFONT font = CreateFontA(request.height, 0, escapement, escapement,
                             (request.style & TEXT_STYLE_BOLD) ? FW_BOLD : FW_NORMAL,
                             (request.style & TEXT_STYLE_ITALIC) ? TRUE : FALSE, FALSE, FALSE, 0, 0,
                             0, static_cast<DWORD>(FontQuality(request.quality)), 0,
                             request.face ? request.face : "");
    if (!font) return nullptr;
    return std::make_unique<GdiRasteriser>(font);
}

GdiRasteriser::GdiRasteriser(HFONT font) : font_(font) {
    if (HDC dc = CreateCompatibleDC(nullptr)) {
        {
            SelectedFont selected(dc, font_);
            TEXTMETRICA metrics{};
            if (GetTextMetricsA(dc, &metrics)) lineHeight_ = metrics.tmHeight;
        }
        DeleteDC(dc);
    }
}

GdiRasteriser::~GdiRasteriser() {
    if (font_) DeleteObject(font_);
}

std::unique_ptr<PixelBitmap> GdiRasteriser::NewSurface() const {
    return std::make_unique<DibBitmap>(0, 0);
}

bool GdiRasteriser::DrawsStrings() const {
    return !RunningUnderCompatibilityLayer();
}

CharExtent GdiRasteriser::MeasureChar(PixelBitmap& surface, char16_t code) {
    HDC dc = static_cast<HDC>(surface.DeviceContext());
    if (!dc) return {};
    SelectedFont selected(dc, font_);
    RECT r{0, 0, 0, 0};
    const wchar_t unit = static_cast<wchar_t>(code);
    DrawTextW(dc, &unit, 1, &r, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
    return CharExtent{r.right, r.bottom};
}

bool GdiRasteriser::DrawChar(PixelBitmap& surface, char16_t code, int x, int y) {
    HDC dc = static_cast<HDC>(surface.DeviceContext());
    if (!dc) return false;
    SelectedFont selected(dc, font_);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    RECT r{x, y, x, y};
    const wchar_t unit = static_cast<wchar_t>(code);
    const int drawn = DrawTextW(dc, &unit, 1, &r, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);
    // The pixels are read straight from the section next.
    GdiFlush();
    return drawn != 0;
}

int GdiRasteriser::DrawWholeString(PixelBitmap& surface, const PlatformText& text,
                                   IPlugRect& rect) {
    HDC dc = static_cast<HDC>(surface.DeviceContext());
    if (!dc) return 0;
    SelectedFont selected(dc, font_);
    SetTextColor(dc, ColourRef(text.colour));
    SetBkMode(dc, text.backgroundMode == TEXT_BACKGROUND_OPAQUE ? OPAQUE : TRANSPARENT);
    if (text.backgroundMode == TEXT_BACKGROUND_OPAQUE) SetBkColor(dc, ColourRef(text.background));
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    const UINT format = static_cast<UINT>(text.format) | DT_NOPREFIX;
    int height;
    if (text.units)
        height = DrawTextW(dc, Wide(text.units), text.unitCount, &r, format);
    else
        height = DrawTextA(dc, text.bytes, text.byteCount, &r, format);
    GdiFlush();
    if (text.format & TEXT_CALCRECT) rect = IPlugRect{r.left, r.top, r.right, r.bottom};
    return height;
}

std::unique_ptr<GlyphRasteriser> CreateGlyphRasteriser(const FontRequest& request) {
    return GdiRasteriser::Create(request);
}
