#pragma once

#include "bitmap/blend_mode.h"
#include "bitmap/pixel_word.h"

#include <algorithm>
#include <array>
#include <cstdint>

// The per-pixel combine operations shared by every compositing routine. Each one rewrites
// a destination pixel from source channels r, g, b, a (0..255) at weight w (0..256).
// Divisions truncate toward zero, and several dividends are negative: that truncation is
// part of the result, so none of these may be "simplified" into shifts.
namespace combine {

constexpr int Clamp255(int x) {
    return x < 0 ? 0 : (x > 255 ? 255 : x);
}

// The weight under BLEND_SOURCE_ALPHA.
constexpr int SourceAlphaWeight(int w, int a) {
    return w * (a + 1) / 256;
}

constexpr int CopyChannel(int d, int s, int w) {
    return s + (d - s) * (256 - w) / 256;
}
constexpr int AddChannel(int d, int s, int w) {
    return Clamp255(d + s * w / 256);
}
constexpr int DodgeChannel(int d, int s, int w) {
    const int q = 256 - s * w / 256;
    return q > 1 ? Clamp255(d * 256 / q) : Clamp255(d * 256);
}
constexpr int MultiplyChannel(int d, int s, int w) {
    return ((s * w + (256 - w) * 256) * d) >> 16;
}
// A neutral source (128) keeps d, black multiplies (d * d / 256), white brightens.
constexpr int OverlayChannel(int d, int s, int w) {
    const int t = s * w + (256 - w) * 128;
    return Clamp255(((t + (32768 - t) * d / 256) * d) >> 15);
}

template <int (*F)(int, int, int)>
inline void EachChannel(std::uint32_t& d, int r, int g, int b, int a, int w) {
    const std::uint32_t p = d;
    d = PackPixel(F(PixelA(p), a, w), F(PixelR(p), r, w), F(PixelG(p), g, w), F(PixelB(p), b, w));
}

// Reciprocals for the HSV conversion: T[i] = 65536 / i - 1, T[0] = 0.
inline constexpr std::array<std::uint16_t, 256> kReciprocal = [] {
    std::array<std::uint16_t, 256> t{};
    for (int i = 1; i < 256; ++i)
        t[i] = static_cast<std::uint16_t>(65536 / i - 1);
    return t;
}();

// The source steers a hue (r), saturation (g) and value (b) change of the destination;
// 128 in a channel leaves that property alone. Hue runs on a circle of 384.
inline void HsvAdjust(std::uint32_t& d, int r, int g, int b, int a, int w) {
    const int R = PixelR(d), G = PixelG(d), B = PixelB(d);
    int base = 0, numerator = 0;
    if (R >= G && R > B) {
        base = G >= B ? 0 : 383;
        numerator = G - B;
    } else if (G > R && G > B) {
        base = 128;
        numerator = B - R;
    } else {
        base = 256;
        numerator = R - G;
    }
    int v = std::max({R, G, B});
    const int delta = v - std::min({R, G, B});
    int sat = delta * kReciprocal[v] / 256;
    int h = base + numerator * (kReciprocal[delta] + 1) / 1024;

    h += (r + r / 2 - 192) * w / 256;
    if (h < 0)
        h += 384;
    else if (h >= 384)
        h -= 384;
    sat = Clamp255(sat + (g - 128) * w / 128);
    v = Clamp255(v + (b - 128) * w / 128);

    const int p = v * (256 - sat) / 256;
    auto x = [v, sat](int m) { return v * (16384 - sat * m) / 16384; };
    int nr, ng, nb;
    if (h < 64) {
        nr = v, ng = x(64 - h), nb = p;
    } else if (h < 128) {
        nr = x(h - 64), ng = v, nb = p;
    } else if (h < 192) {
        nr = p, ng = v, nb = x(192 - h);
    } else if (h < 256) {
        nr = p, ng = x(h - 192), nb = v;
    } else if (h < 320) {
        nr = x(320 - h), ng = p, nb = v;
    } else {
        nr = v, ng = p, nb = x(h - 320);
    }
    d = PackPixel(a, nr, ng, nb);
}

// One type per operation so that every loop is compiled for exactly one of them.
struct CopyFull {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int) {
        d = PackPixel(a, r, g, b);
    }
};
struct CopyWeighted {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        EachChannel<CopyChannel>(d, r, g, b, a, w);
    }
};
struct Copy {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        if (w == 256)
            CopyFull::Apply(d, r, g, b, a, w);
        else
            CopyWeighted::Apply(d, r, g, b, a, w);
    }
};
struct CopyAlphaFull {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int) {
        if (a == 0) return;
        if (a == 255) {
            d = PackPixel(255, r, g, b);
            return;
        }
        const std::uint32_t p = d;
        const int k = 255 - a;
        d = PackPixel(std::min(255, PixelA(p) + a), r + (PixelR(p) - r) * k / 256,
                      g + (PixelG(p) - g) * k / 256, b + (PixelB(p) - b) * k / 256);
    }
};
struct CopyAlphaWeighted {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        if (a == 0) return;
        const int w2 = SourceAlphaWeight(w, a);
        const std::uint32_t p = d;
        d = PackPixel(std::min(255, PixelA(p) + w2), CopyChannel(PixelR(p), r, w2),
                      CopyChannel(PixelG(p), g, w2), CopyChannel(PixelB(p), b, w2));
    }
};
struct CopyAlpha {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        if (w == 256)
            CopyAlphaFull::Apply(d, r, g, b, a, w);
        else
            CopyAlphaWeighted::Apply(d, r, g, b, a, w);
    }
};
struct Add {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        EachChannel<AddChannel>(d, r, g, b, a, w);
    }
};
struct AddAlpha {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        if (a != 0) Add::Apply(d, r, g, b, a, SourceAlphaWeight(w, a));
    }
};
struct Dodge {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        EachChannel<DodgeChannel>(d, r, g, b, a, w);
    }
};
struct DodgeAlpha {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        Dodge::Apply(d, r, g, b, a, SourceAlphaWeight(w, a));
    }
};
struct Multiply {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        EachChannel<MultiplyChannel>(d, r, g, b, a, w);
    }
};
struct MultiplyAlpha {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        if (a != 0) Multiply::Apply(d, r, g, b, a, SourceAlphaWeight(w, a));
    }
};
struct Overlay {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        EachChannel<OverlayChannel>(d, r, g, b, a, w);
    }
};
struct OverlayAlpha {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        Overlay::Apply(d, r, g, b, a, SourceAlphaWeight(w, a));
    }
};
struct Hsv {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        HsvAdjust(d, r, g, b, a, w);
    }
};
struct HsvAlpha {
    static void Apply(std::uint32_t& d, int r, int g, int b, int a, int w) {
        HsvAdjust(d, r, g, b, a, SourceAlphaWeight(w, a));
    }
};

// Calls fn(Combiner{}) with the combiner type of mode & kBlendCombinerMask, chosen once so
// that the caller's loop is instantiated per operation. Copy handles any weight here.
// Returns false, calling nothing, for a mode that draws nothing.
template <typename Fn> bool WithCombinerAnyWeight(BlendMode mode, Fn&& fn) {
    switch (mode & kBlendCombinerMask) {
    case BLEND_COPY:
        fn(Copy{});
        return true;
    case BLEND_ADD:
        fn(Add{});
        return true;
    case BLEND_DODGE:
        fn(Dodge{});
        return true;
    case BLEND_MULTIPLY:
        fn(Multiply{});
        return true;
    case BLEND_OVERLAY:
        fn(Overlay{});
        return true;
    case BLEND_HSV_ADJUST:
        fn(Hsv{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_COPY:
        fn(CopyAlpha{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_ADD:
        fn(AddAlpha{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_DODGE:
        fn(DodgeAlpha{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_MULTIPLY:
        fn(MultiplyAlpha{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_OVERLAY:
        fn(OverlayAlpha{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_HSV_ADJUST:
        fn(HsvAlpha{});
        return true;
    default:
        return false;
    }
}

// As above for a loop that runs at the one weight w (1..256): copy is further specialised
// for full and partial weight.
template <typename Fn> bool WithCombiner(BlendMode mode, int w, Fn&& fn) {
    switch (mode & kBlendCombinerMask) {
    case BLEND_COPY:
        if (w == 256)
            fn(CopyFull{});
        else
            fn(CopyWeighted{});
        return true;
    case BLEND_SOURCE_ALPHA | BLEND_COPY:
        if (w == 256)
            fn(CopyAlphaFull{});
        else
            fn(CopyAlphaWeighted{});
        return true;
    default:
        return WithCombinerAnyWeight(mode, static_cast<Fn&&>(fn));
    }
}

} // namespace combine

// A combiner called through a pointer, for callers that pick it once and reuse it
// (glyph painting): rewrites dest from r, g, b, a at weight w.
using PixelCombiner = void (*)(std::uint32_t& dest, int r, int g, int b, int a, int w);

// The combiner of mode & (operation | BLEND_SOURCE_ALPHA) valid at any weight, or null
// for a mode that draws nothing.
PixelCombiner SelectCombiner(BlendMode mode);
