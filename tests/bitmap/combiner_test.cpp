// Each combiner on chosen pixels. Expected values are worked out by hand from the
// formulas; several pin the truncation toward zero of negative dividends, where flooring
// would give a different byte.
#include "bitmap/blit.h"
#include "bitmap/combiners.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

namespace {

// Composites one source pixel onto one destination pixel through BlitBitmap, so that the
// blend word's dispatch is exercised along with the formula.
std::uint32_t Blend(std::uint32_t dest, std::uint32_t src, float alpha, BlendMode mode) {
    TestBitmap d(1, 1, dest), s(1, 1, src);
    BlitBitmap(&d, &s, 0, 0, nullptr, alpha, mode);
    return d.At(0, 0);
}

constexpr float kWeight100 = 100.0f / 256.0f; // exact in float: w = 100

TEST(CopyCombiner, FullWeightCopiesAllFourBytes) {
    EXPECT_EQ(Blend(0x12345678, 0x00ABCDEF, 1.0f, BLEND_COPY), 0x00ABCDEFu);
}

TEST(CopyCombiner, PartialWeightTruncatesTowardZero) {
    // w = 100: d <- s + (d - s) * 156 / 256 per byte.
    // A: 10 + 54*156/256 = 42; R: 50 + 150*156/256 = 141;
    // G: 250 + (-220*156/256 = -134.06 -> -134) = 116 (flooring would give 115); B: 100.
    EXPECT_EQ(Blend(0x40C81E64, 0x0A32FA64, kWeight100, BLEND_COPY), 0x2A8D7464u);
}

TEST(CopyCombiner, SourceAlphaZeroLeavesTheDestination) {
    EXPECT_EQ(Blend(0x11223344, 0x00FFFFFF, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0x11223344u);
    EXPECT_EQ(Blend(0x11223344, 0x00FFFFFF, 0.5f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0x11223344u);
}

TEST(CopyCombiner, SourceAlphaOpaqueReplacesWithAlpha255) {
    EXPECT_EQ(Blend(0x00000000, 0xFF102030, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0xFF102030u);
    EXPECT_EQ(Blend(0x7F998877, 0xFF102030, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0xFF102030u);
}

TEST(CopyCombiner, SourceAlphaFullWeightPartialAlpha) {
    // a = 128: dest alpha 100 + 128 = 228; colour d <- s + (d - s) * 127 / 256.
    // R: 0 + 200*127/256 = 99; G: 255 + (-245*127/256 = -121.5 -> -121) = 134; B: 60.
    EXPECT_EQ(Blend(0x64C80A3C, 0x8000FF3C, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0xE463863Cu);
    // Destination alpha saturates at 255.
    EXPECT_EQ(Blend(0xC8000000, 0x80000000, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA) >> 24, 0xFFu);
}

TEST(CopyCombiner, SourceAlphaPartialWeight) {
    // w = 128, a = 127: w' = 128 * 128 / 256 = 64; alpha min(255, 250 + 64) = 255.
    // R: 200 + (-200*192/256 = -150) = 50; G: 0 + 255*192/256 = 191; B: 16 + 192/256 = 16.
    EXPECT_EQ(Blend(0xFA00FF11, 0x7FC80010, 0.5f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0xFF32BF10u);
}

TEST(AddCombiner, AddsScaledSource) {
    // w = 128: A 200 + 50 = 250; R 100 + 100 = 200; G 0 + 7*128/256 = 3; B 255 + 0 = 255.
    EXPECT_EQ(Blend(0xC86400FF, 0x64C80701, 0.5f, BLEND_ADD), 0xFAC803FFu);
}

TEST(AddCombiner, SaturatesAt255) {
    EXPECT_EQ(Blend(0xC8640AFF, 0x64C80701, 1.0f, BLEND_ADD), 0xFFFF11FFu);
}

TEST(AddCombiner, SourceAlphaScalesTheWeight) {
    // a = 63, w = 256: w' = 256 * 64 / 256 = 64.
    // A 10 + 63*64/256 = 25; R 250 + 10 -> 255; G 20 + 25 = 45; B 0 + 255*64/256 = 63.
    EXPECT_EQ(Blend(0x0AFA1400, 0x3F2864FF, 1.0f, BLEND_ADD | BLEND_SOURCE_ALPHA), 0x19FF2D3Fu);
    EXPECT_EQ(Blend(0x0AFA1400, 0x00FFFFFF, 1.0f, BLEND_ADD | BLEND_SOURCE_ALPHA), 0x0AFA1400u);
}

TEST(DodgeCombiner, DividesByTheInvertedSource) {
    // w = 256. A: s 0, q 256 -> 77. R: s 255, q 1 -> 1*256 -> 255.
    // G: s 128, q 128 -> 200. B: s 64, q 192 -> 100*256/192 = 133.
    EXPECT_EQ(Blend(0x4D016464, 0x00FF8040, 1.0f, BLEND_DODGE), 0x4DFFC885u);
}

TEST(DodgeCombiner, FullSourceTurnsNonZeroTo255AndKeepsZero) {
    EXPECT_EQ(Blend(0x00010280, 0xFFFFFFFF, 1.0f, BLEND_DODGE), 0x00FFFFFFu);
}

TEST(DodgeCombiner, SourceAlpha) {
    // a = 127: w' = 128. A: q = 256 - 127*128/256 = 193 -> 50*256/193 = 66.
    // R: q = 256 - 127 = 129 -> 60*256/129 = 119. G: q = 206 -> 316 -> 255. B: 0.
    EXPECT_EQ(Blend(0x323CFF00, 0x7FFF64C8, 1.0f, BLEND_DODGE | BLEND_SOURCE_ALPHA), 0x4277FF00u);
    // a = 0 still dodges with w' = 1, which changes nothing here.
    EXPECT_EQ(Blend(0x11223344, 0x00FFFFFF, 1.0f, BLEND_DODGE | BLEND_SOURCE_ALPHA), 0x11223344u);
}

TEST(MultiplyCombiner, FullWeight) {
    // s * d / 256 truncated: A 128*255 -> 127; R 255*200 -> 199; G 128*128 -> 64; B 255*3 -> 2.
    EXPECT_EQ(Blend(0xFFC88003, 0x80FF80FF, 1.0f, BLEND_MULTIPLY), 0x7FC74002u);
}

TEST(MultiplyCombiner, PartialWeight) {
    // w = 64: ((s*64 + 192*256) * d) >> 16.
    // A: (16320 + 49152) * 255 >> 16 = 254; R: 49152 * 200 >> 16 = 150;
    // G: 65472 * 100 >> 16 = 99; B: 0.
    EXPECT_EQ(Blend(0xFFC86400, 0xFF00FF80, 0.25f, BLEND_MULTIPLY), 0xFE966300u);
}

TEST(MultiplyCombiner, SourceAlphaZeroDoesNothing) {
    EXPECT_EQ(Blend(0x11223344, 0x00000000, 1.0f, BLEND_MULTIPLY | BLEND_SOURCE_ALPHA),
              0x11223344u);
    // a = 255: w' = 256, as without the flag; A 255 * 255 / 256 = 254.
    EXPECT_EQ(Blend(0xFFC88003, 0xFFFF80FF, 1.0f, BLEND_MULTIPLY | BLEND_SOURCE_ALPHA),
              0xFEC74002u);
}

TEST(OverlayCombiner, NeutralBlackAndWhite) {
    // w = 256. A: s 128 keeps 200. R: s 0 -> 100*100/256 = 39.
    // G: s 255: t = 65280, (32768 - t) * 100 / 256 = -12700, (52580 * 100) >> 15 = 160. B: keeps.
    EXPECT_EQ(Blend(0xC86464FF, 0x8000FF80, 1.0f, BLEND_OVERLAY), 0xC827A0FFu);
}

TEST(OverlayCombiner, PartialWeightWithNegativeDividend) {
    // w = 200, s = 255: t = 51000 + 56*128 = 58168; -25400*100/256 = -9921 (truncated);
    // ((58168 - 9921) * 100) >> 15 = 147. s = 0: t = 7168 -> ((7168 + 10000) * 100) >> 15 = 52.
    // s = 128: t = 32768 keeps 100. The alpha byte is overlaid like the others.
    EXPECT_EQ(Blend(0x64646464, 0xFFFF0080, 200.0f / 256.0f, BLEND_OVERLAY), 0x93933464u);
}

TEST(OverlayCombiner, SourceAlphaScalesTheWeight) {
    // a = 255 -> w' = 256: as without the flag.
    EXPECT_EQ(Blend(0xFF6464FF, 0xFF00FF80, 1.0f, BLEND_OVERLAY | BLEND_SOURCE_ALPHA), 0xFF27A0FFu);
}

TEST(HsvCombiner, NeutralSourceKeepsHueSaturationAndValue) {
    // Dest (200, 100, 50): v 200, delta 150, sat 150*326/256 = 191, hue 50*436/1024 = 21.
    // Back: p = 200*65/256 = 50, G = 200*(16384 - 191*43)/16384 = 99. Alpha = source alpha.
    EXPECT_EQ(Blend(0x1EC86432, 0x4D808080, 1.0f, BLEND_HSV_ADJUST), 0x4DC86332u);
}

TEST(HsvCombiner, RedMaximumWithBlueAboveGreen) {
    // Dest (200, 50, 100): base 383, 383 + (-50*436/1024 = -21.3 -> -21) = 362.
    // h >= 320: R v, G p = 50, B = 200*(16384 - 191*42)/16384 = 102 (flooring the hue: 104).
    EXPECT_EQ(Blend(0xFFC83264, 0xFF808080, 1.0f, BLEND_HSV_ADJUST), 0xFFC83266u);
}

TEST(HsvCombiner, GreenAndBlueMaximum) {
    // Dest (10, 200, 60): base 128 + 50*344/1024 = 144, sat 190*326/256 = 241,
    // p = 200*15/256 = 11, B = 200*(16384 - 241*48)/16384 = 58.
    EXPECT_EQ(Blend(0xFF0AC83C, 0xFF808080, 1.0f, BLEND_HSV_ADJUST), 0xFF0BC83Au);
    // Dest (60, 10, 200): base 256 + 16 = 272: R = x = 58, G = p = 11, B = v.
    EXPECT_EQ(Blend(0xFF3C0AC8, 0xFF808080, 1.0f, BLEND_HSV_ADJUST), 0xFF3A0BC8u);
}

TEST(HsvCombiner, GreyIsUnchanged) {
    EXPECT_EQ(Blend(0xFF505050, 0xFF808080, 1.0f, BLEND_HSV_ADJUST), 0xFF505050u);
}

TEST(HsvCombiner, ShiftsHueSaturationAndValue) {
    // w = 128, source (1, 200, 100), alpha 9, dest (200, 100, 50):
    // hue 21 + (1 + 0 - 192)*128/256 (= -95.5 -> -95) = -74 -> 310; sat 191 + 72 -> 255;
    // value 200 - 28 = 172. p = 0; R = 172*(16384 - 255*10)/16384 = 145; B = v.
    EXPECT_EQ(Blend(0xFFC86432, 0x0901C864, 0.5f, BLEND_HSV_ADJUST), 0x099100ACu);
}

TEST(HsvCombiner, FullShiftWrapsAndSaturates) {
    // Source (255, 0, 255) at w = 256: hue 21 + 190 = 211; sat 191 - 256 -> 0; value -> 255.
    EXPECT_EQ(Blend(0xFFC86432, 0x20FF00FF, 1.0f, BLEND_HSV_ADJUST), 0x20FFFFFFu);
}

TEST(HsvCombiner, SourceAlphaScalesTheWeight) {
    // a = 127 at w = 256 -> w' = 128, as in ShiftsHueSaturationAndValue.
    EXPECT_EQ(Blend(0xFFC86432, 0x7F01C864, 1.0f, BLEND_HSV_ADJUST | BLEND_SOURCE_ALPHA),
              0x7F9100ACu);
}

TEST(HsvCombiner, ReciprocalTable) {
    EXPECT_EQ(combine::kReciprocal[0], 0);
    EXPECT_EQ(combine::kReciprocal[1], 65535);
    EXPECT_EQ(combine::kReciprocal[2], 32767);
    EXPECT_EQ(combine::kReciprocal[3], 21844);
    EXPECT_EQ(combine::kReciprocal[255], 256);
}

TEST(Combiners, OtherModesDrawNothing) {
    for (BlendMode mode : {6u, 7u, 0x80u, 0xEFu, 0x10006u, 0x100EFu})
        EXPECT_EQ(Blend(0x11223344, 0xFFFFFFFF, 1.0f, mode), 0x11223344u) << mode;
}

TEST(Combiners, BilinearBitIsIgnoredByStraightBlits) {
    EXPECT_EQ(Blend(0x40C81E64, 0x0A32FA64, kWeight100, BLEND_COPY | BLEND_BILINEAR), 0x2A8D7464u);
}

TEST(Combiners, SelectedThroughAPointer) {
    EXPECT_EQ(SelectCombiner(6), nullptr);
    EXPECT_EQ(SelectCombiner(BLEND_CHANNEL_COPY), nullptr);
    PixelCombiner add = SelectCombiner(BLEND_ADD);
    ASSERT_NE(add, nullptr);
    std::uint32_t d = 0xC86400FF;
    add(d, 0xC8, 0x07, 0x01, 0x64, 128);
    EXPECT_EQ(d, 0xFAC803FFu);

    // Copy through a pointer serves every weight, full weight included.
    PixelCombiner copy = SelectCombiner(BLEND_COPY);
    d = 0x40C81E64;
    copy(d, 0x32, 0xFA, 0x64, 0x0A, 100);
    EXPECT_EQ(d, 0x2A8D7464u);
    copy(d, 1, 2, 3, 4, 256);
    EXPECT_EQ(d, 0x04010203u);

    PixelCombiner copyAlpha = SelectCombiner(BLEND_COPY | BLEND_SOURCE_ALPHA | BLEND_BILINEAR);
    d = 0x64C80A3C;
    copyAlpha(d, 0x00, 0xFF, 0x3C, 0x80, 256);
    EXPECT_EQ(d, 0xE463863Cu);
}

} // namespace
