// The combiners' formulas on chosen pixels, composited through BlitBitmap and FillRectangle
// so that the blend word's dispatch is exercised too. Expected values are worked out by
// hand; several pin the truncation toward zero of negative dividends, where flooring would
// give a different byte. That every fast path agrees with these combiners is the
// compositing sweep's job.
#include "bitmap/blit.h"
#include "bitmap/combiners.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr float kWeight100 = 100.0f / 256.0f; // exact in float: w = 100

struct Worked {
    const char* what;
    std::uint32_t dest, src;
    float alpha;
    BlendMode mode;
    std::uint32_t expected;
};

TEST(Combiners, WorkedValuesThroughBlitBitmap) {
    constexpr BlendMode SA = BLEND_SOURCE_ALPHA;
    const Worked cases[] = {
        {"copy: full weight copies all four bytes", 0x12345678, 0x00ABCDEF, 1.0f, BLEND_COPY,
         0x00ABCDEF},
        // w = 100: d <- s + (d - s) * 156 / 256 per byte. A: 10 + 54*156/256 = 42;
        // R: 50 + 150*156/256 = 141; G: 250 + (-220*156/256 = -134.06 -> -134) = 116
        // (flooring would give 115); B: 100.
        {"copy: partial weight truncates toward zero", 0x40C81E64, 0x0A32FA64, kWeight100,
         BLEND_COPY, 0x2A8D7464},
        // 0x7F402010 + 0x08101820.
        {"copy: alpha 0.5 averages words", 0x10203040, 0xFF804020, 0.5f, BLEND_COPY, 0x87503830},
        // 0.5001 still gives w = 128, but through the per-byte formula:
        // A: 255 + (16 - 255) * 128 / 256 = 136 (the shortcut gives 135).
        {"copy: nearly half goes per byte", 0x10203040, 0xFF804020, 0.5001f, BLEND_COPY,
         0x88503830},
        {"copy+sa: transparent source leaves the destination", 0x11223344, 0x00FFFFFF, 1.0f,
         BLEND_COPY | SA, 0x11223344},
        {"copy+sa: transparent source at half weight", 0x11223344, 0x00FFFFFF, 0.5f,
         BLEND_COPY | SA, 0x11223344},
        {"copy+sa: opaque source replaces with alpha 255", 0x7F998877, 0xFF102030, 1.0f,
         BLEND_COPY | SA, 0xFF102030},
        // a = 128: dest alpha 100 + 128 = 228; colour d <- s + (d - s) * 127 / 256.
        // R: 0 + 200*127/256 = 99; G: 255 + (-245*127/256 = -121.5 -> -121) = 134; B: 60.
        {"copy+sa: full weight, partial alpha", 0x64C80A3C, 0x8000FF3C, 1.0f, BLEND_COPY | SA,
         0xE463863C},
        {"copy+sa: destination alpha saturates", 0xC8000000, 0x80000000, 1.0f, BLEND_COPY | SA,
         0xFF000000},
        // w = 128, a = 127: w' = 128 * 128 / 256 = 64; alpha min(255, 250 + 64) = 255.
        // R: 200 + (-200*192/256 = -150) = 50; G: 0 + 255*192/256 = 191; B: 16 + 192/256 = 16.
        {"copy+sa: partial weight", 0xFA00FF11, 0x7FC80010, 0.5f, BLEND_COPY | SA, 0xFF32BF10},
        // w = 128: A 200 + 50 = 250; R 100 + 100 = 200; G 0 + 7*128/256 = 3; B 255 + 0 = 255.
        {"add: adds the scaled source", 0xC86400FF, 0x64C80701, 0.5f, BLEND_ADD, 0xFAC803FF},
        {"add: saturates at 255", 0xC8640AFF, 0x64C80701, 1.0f, BLEND_ADD, 0xFFFF11FF},
        // a = 63, w = 256: w' = 256 * 64 / 256 = 64.
        // A 10 + 63*64/256 = 25; R 250 + 10 -> 255; G 20 + 25 = 45; B 0 + 255*64/256 = 63.
        {"add+sa: alpha scales the weight", 0x0AFA1400, 0x3F2864FF, 1.0f, BLEND_ADD | SA,
         0x19FF2D3F},
        {"add+sa: transparent source adds nothing", 0x0AFA1400, 0x00FFFFFF, 1.0f, BLEND_ADD | SA,
         0x0AFA1400},
        // w = 256. A: s 0, q 256 -> 77. R: s 255, q 1 -> 1*256 -> 255.
        // G: s 128, q 128 -> 200. B: s 64, q 192 -> 100*256/192 = 133.
        {"dodge: divides by the inverted source", 0x4D016464, 0x00FF8040, 1.0f, BLEND_DODGE,
         0x4DFFC885},
        {"dodge: full source turns non-zero to 255, keeps 0", 0x00010280, 0xFFFFFFFF, 1.0f,
         BLEND_DODGE, 0x00FFFFFF},
        // a = 127: w' = 128. A: q = 256 - 127*128/256 = 193 -> 50*256/193 = 66.
        // R: q = 256 - 127 = 129 -> 60*256/129 = 119. G: q = 206 -> 316 -> 255. B: 0.
        {"dodge+sa", 0x323CFF00, 0x7FFF64C8, 1.0f, BLEND_DODGE | SA, 0x4277FF00},
        // a = 0 still dodges with w' = 1, which changes nothing here.
        {"dodge+sa: transparent source", 0x11223344, 0x00FFFFFF, 1.0f, BLEND_DODGE | SA,
         0x11223344},
        // s * d / 256 truncated: A 128*255 -> 127; R 255*200 -> 199; G 128*128 -> 64; B 255*3 -> 2.
        {"multiply: full weight", 0xFFC88003, 0x80FF80FF, 1.0f, BLEND_MULTIPLY, 0x7FC74002},
        // w = 64: ((s*64 + 192*256) * d) >> 16. A: (16320 + 49152) * 255 >> 16 = 254;
        // R: 49152 * 200 >> 16 = 150; G: 65472 * 100 >> 16 = 99; B: 0.
        {"multiply: partial weight", 0xFFC86400, 0xFF00FF80, 0.25f, BLEND_MULTIPLY, 0xFE966300},
        {"multiply+sa: transparent source does nothing", 0x11223344, 0x00000000, 1.0f,
         BLEND_MULTIPLY | SA, 0x11223344},
        // a = 255: w' = 256, as without the flag; A 255 * 255 / 256 = 254.
        {"multiply+sa: opaque source", 0xFFC88003, 0xFFFF80FF, 1.0f, BLEND_MULTIPLY | SA,
         0xFEC74002},
        // w = 256. A: s 128 keeps 200. R: s 0 -> 100*100/256 = 39. G: s 255: t = 65280,
        // (32768 - t) * 100 / 256 = -12700, (52580 * 100) >> 15 = 160. B: keeps.
        {"overlay: neutral, black and white", 0xC86464FF, 0x8000FF80, 1.0f, BLEND_OVERLAY,
         0xC827A0FF},
        // w = 200, s = 255: t = 51000 + 56*128 = 58168; -25400*100/256 = -9921 (truncated);
        // ((58168 - 9921) * 100) >> 15 = 147. s = 0: t = 7168 -> ((7168 + 10000) * 100) >> 15
        // = 52. s = 128: t = 32768 keeps 100. The alpha byte is overlaid like the others.
        {"overlay: partial weight, negative dividend", 0x64646464, 0xFFFF0080, 200.0f / 256.0f,
         BLEND_OVERLAY, 0x93933464},
        {"overlay+sa: opaque source as without the flag", 0xFF6464FF, 0xFF00FF80, 1.0f,
         BLEND_OVERLAY | SA, 0xFF27A0FF},
        // Dest (200, 100, 50): v 200, delta 150, sat 150*326/256 = 191, hue 50*436/1024 = 21.
        // Back: p = 200*65/256 = 50, G = 200*(16384 - 191*43)/16384 = 99. Alpha = source's.
        {"hsv: neutral source keeps hue, saturation and value", 0x1EC86432, 0x4D808080, 1.0f,
         BLEND_HSV_ADJUST, 0x4DC86332},
        // Dest (200, 50, 100): base 383, 383 + (-50*436/1024 = -21.3 -> -21) = 362.
        // h >= 320: R v, G p = 50, B = 200*(16384 - 191*42)/16384 = 102 (flooring: 104).
        {"hsv: red maximum with blue above green", 0xFFC83264, 0xFF808080, 1.0f, BLEND_HSV_ADJUST,
         0xFFC83266},
        // Dest (10, 200, 60): base 128 + 50*344/1024 = 144, sat 190*326/256 = 241,
        // p = 200*15/256 = 11, B = 200*(16384 - 241*48)/16384 = 58.
        {"hsv: green maximum", 0xFF0AC83C, 0xFF808080, 1.0f, BLEND_HSV_ADJUST, 0xFF0BC83A},
        // Dest (60, 10, 200): base 256 + 16 = 272: R = x = 58, G = p = 11, B = v.
        {"hsv: blue maximum", 0xFF3C0AC8, 0xFF808080, 1.0f, BLEND_HSV_ADJUST, 0xFF3A0BC8},
        {"hsv: grey is unchanged", 0xFF505050, 0xFF808080, 1.0f, BLEND_HSV_ADJUST, 0xFF505050},
        // w = 128, source (1, 200, 100), alpha 9, dest (200, 100, 50): hue 21 +
        // (1 + 0 - 192)*128/256 (= -95.5 -> -95) = -74 -> 310; sat 191 + 72 -> 255;
        // value 200 - 28 = 172. p = 0; R = 172*(16384 - 255*10)/16384 = 145; B = v.
        {"hsv: shifts hue, saturation and value", 0xFFC86432, 0x0901C864, 0.5f, BLEND_HSV_ADJUST,
         0x099100AC},
        // Source (255, 0, 255) at w = 256: hue 21 + 190 = 211; sat 191 - 256 -> 0; value 255.
        {"hsv: full shift wraps and saturates", 0xFFC86432, 0x20FF00FF, 1.0f, BLEND_HSV_ADJUST,
         0x20FFFFFF},
        // a = 127 at w = 256 -> w' = 128, as in "shifts hue, saturation and value".
        {"hsv+sa: alpha scales the weight", 0xFFC86432, 0x7F01C864, 1.0f, BLEND_HSV_ADJUST | SA,
         0x7F9100AC},
        {"channel copy: red into alpha", 0xAABBCCDD, 0x11223344, 1.0f, BlendChannelCopy(2, 3),
         0x22BBCCDD},
        {"channel copy: blue into green, alpha ignored", 0xAABBCCDD, 0x11223344, 0.3f,
         BlendChannelCopy(0, 1), 0xAABB44DD},
    };
    for (const Worked& c : cases) {
        TestBitmap d(1, 1, c.dest), s(1, 1, c.src);
        BlitBitmap(&d, &s, 0, 0, nullptr, c.alpha, c.mode);
        EXPECT_EQ(d.At(0, 0), c.expected) << c.what << std::hex << ": got 0x" << d.At(0, 0);
    }
    EXPECT_EQ(BlendChannelCopy(0, 1), 0xF4u);
}

// A fill combines its colour with the weight standing in for the source alpha.
TEST(Combiners, WorkedValuesThroughFillRectangle) {
    constexpr std::uint32_t kColour = 0xFF804020, kDest = 0x10203040;
    const Worked cases[] = {
        {"copy at 1.0 stores the colour", kDest, kColour, 1.0f, BLEND_COPY, kColour},
        // (c >> 1) & 0x7F7F7F7F = 0x7F402010, (d >> 1) & 0x7F7F7F7F = 0x08101820.
        {"copy at 0.5 averages words", kDest, kColour, 0.5f, BLEND_COPY, 0x87503830},
        // d/2 + d/4 + c/4: 0x08101820 + 0x04080C10 + 0x3F201008.
        {"copy at 0.25", kDest, kColour, 0.25f, BLEND_COPY, 0x4B383438},
        // d/4 + c/2 + c/4: 0x04080C10 + 0x7F402010 + 0x3F201008.
        {"copy at 0.75", kDest, kColour, 0.75f, BLEND_COPY, 0xC2683C28},
        {"the shortcuts go by the weight: 0.751 gives 192", kDest, kColour, 0.751f, BLEND_COPY,
         0xC2683C28},
        // w = 100 stands in as the source alpha: A 100 + (0 - 100) * 156 / 256 = 40.
        // R 16 - 9 = 7, G 32 - 19 = 13, B 48 - 29 = 19 (each truncated toward zero).
        {"copy elsewhere moves alpha toward the weight", 0x00000000, 0xFF102030, kWeight100,
         BLEND_COPY, 0x28070D13},
        // 1.0 * 128/255 -> w = 128: the averaging shortcut, colour alpha included.
        {"source alpha scales the weight", 0x00000000, 0x80FF0000, 1.0f,
         BLEND_COPY | BLEND_SOURCE_ALPHA, 0x407F0000},
        {"opaque colour under source alpha", kDest, 0xFF804020, 1.0f,
         BLEND_COPY | BLEND_SOURCE_ALPHA, 0xFF804020},
        {"clear colour under source alpha", kDest, 0x00804020, 1.0f,
         BLEND_COPY | BLEND_SOURCE_ALPHA, kDest},
        // Add at w = 128: A 0x10 + 128*128/256 = 0x50; R 0x20 + 0x40; G 0x30 + 0x20; B 0x40 + 0x10.
        {"add with the weight as alpha", kDest, kColour, 0.5f, BLEND_ADD, 0x50605050},
        // The flag is spent on the weight: colour alpha 0x80 -> w = 128, the same add.
        {"add under source alpha", kDest, 0x80804020, 1.0f, BLEND_ADD | BLEND_SOURCE_ALPHA,
         0x50605050},
        // Multiply at w = 256, the weight standing in as alpha: A (256*256*16) >> 16 = 16;
        // R 255*32/256 = 31, G 255*48/256 = 47, B 255*64/256 = 63.
        {"multiply with the weight as alpha", kDest, 0xFFFFFFFF, 1.0f, BLEND_MULTIPLY, 0x101F2F3F},
        {"channel copy is not a fill", kDest, kColour, 1.0f, BLEND_CHANNEL_COPY, kDest},
    };
    for (const Worked& c : cases) {
        TestBitmap d(1, 1, c.dest);
        FillRectangle(&d, 0, 0, 1, 1, c.src, c.alpha, c.mode);
        EXPECT_EQ(d.At(0, 0), c.expected) << c.what << std::hex << ": got 0x" << d.At(0, 0);
    }
}

TEST(Combiners, ReciprocalTable) {
    EXPECT_EQ(combine::kReciprocal[0], 0);
    EXPECT_EQ(combine::kReciprocal[1], 65535);
    EXPECT_EQ(combine::kReciprocal[2], 32767);
    EXPECT_EQ(combine::kReciprocal[3], 21844);
    EXPECT_EQ(combine::kReciprocal[255], 256);
}

TEST(Combiners, NoCombinerForModesThatDrawNothing) {
    for (BlendMode mode : {6u, 0xEFu, 0x10006u, BLEND_CHANNEL_COPY})
        EXPECT_EQ(SelectCombiner(mode), nullptr) << mode;
    EXPECT_NE(SelectCombiner(BLEND_COPY | BLEND_SOURCE_ALPHA | BLEND_BILINEAR), nullptr);
}

} // namespace
