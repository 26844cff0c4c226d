// The 25 note values of "Delay Rate", checked against their musical names: every third
// index is a straight value 1/64 · 2^k, the next the triplet of the following straight
// value (2/3 of it), the next the dotted form (3/2 of it).
#include "plugin/note_values.h"
#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {
struct NoteValue {
    std::string text;
    int num, den; // length in whole notes
};

// The straight value 2^k / 64 as a fraction.
NoteValue Straight(int k) {
    const int whole = 1 << k;
    if (whole < 64) return {"1/" + std::to_string(64 / whole), 1, 64 / whole};
    return {std::to_string(whole / 64) + "/1", whole / 64, 1};
}

NoteValue Expected(int index) {
    const int k = index / 3;
    switch (index % 3) {
    case 0:
        return Straight(k);
    case 1: {
        const NoteValue longer = Straight(k + 1);
        return {longer.text + "T", longer.num * 2, longer.den * 3};
    }
    default: {
        const NoteValue base = Straight(k);
        return {base.text + "D", base.num * 3, base.den * 2};
    }
    }
}
} // namespace

TEST(NoteValues, TextsAndLengthsFollowTheMusicalNames) {
    InProcessEffect fx;
    const IPlugParam& rate = *fx.GetParam(kDelayRate);
    ASSERT_EQ(rate.ValueTextCount(), kNoteValueCount);
    ASSERT_EQ(kNoteValueCount, 25);
    for (int i = 0; i < kNoteValueCount; ++i) {
        const NoteValue want = Expected(i);
        SCOPED_TRACE(want.text);
        EXPECT_EQ(kNoteValueTexts[i], want.text);
        EXPECT_EQ(rate.FormatValue(i, false), want.text);
        EXPECT_FLOAT_EQ(NoteLength(i), static_cast<float>(want.num) / want.den);
    }
    // The derivation itself, against a few values every musician knows.
    for (auto [index, text, num, den] : {std::tuple{11, "1/8D", 3, 16},
                                         {10, "1/4T", 1, 6},
                                         {19, "2/1T", 4, 3},
                                         {24, "4/1", 4, 1}}) {
        EXPECT_EQ(Expected(index).text, text);
        EXPECT_EQ(Expected(index).num * den, Expected(index).den * num) << text;
    }
}

// 38400 Hz at 600 bpm is 15360 samples per whole note, a multiple of 384 = 3 · 128, so
// every note value is a whole number of samples and the period is exactly twice that.
TEST(NoteValues, EveryRateSetsTwiceItsLengthAsThePeriod) {
    constexpr int kWhole = 15360;
    InProcessEffect fx;
    OpenEffect(fx, 38400.0, 600.0);
    StereoBlock(16).Process(fx);
    ASSERT_EQ(fx.SamplesPerWholeNote(), kWhole);
    for (int i = 0; i < kNoteValueCount; ++i) { // each differs from the one before
        const NoteValue want = Expected(i);
        SetPlain(fx, kDelayRate, i);
        EXPECT_EQ(fx.Period(), 2u * kWhole / want.den * want.num) << want.text;
    }
}
