#include "core/plug_param.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace {
IPlugParam Freq() {
    IPlugParam p;
    p.DefineInteger("Freq", 6000, 100, 20000, "Hz");
    p.SetCurve(2.0);
    return p;
}
} // namespace

TEST(IPlugParam, DefinitionSetsTypeRangeAndPrecision) {
    IPlugParam p;
    EXPECT_EQ(p.Type(), ParamNone);
    EXPECT_EQ(p.Max(), 1.0);
    p.DefineReal("Gain", 0.5, 0.0, 2.0, 0.25, "dB");
    EXPECT_EQ(p.Type(), ParamReal);
    EXPECT_STREQ(p.Label(), "dB");

    // Decimals from the step; a step too large for an integer counts as whole.
    for (auto [step, decimals] : {std::pair{1.0, 0}, {0.5, 1}, {0.25, 2}, {0.01, 2}, {1e25, 0}}) {
        p.DefineReal("Step", 0.0, 0.0, 1e30, step, "");
        EXPECT_EQ(p.DisplayPrecision(), decimals) << step;
    }

    IPlugParam choice;
    choice.DefineChoice("One", 0, 1, "");
    EXPECT_EQ(choice.Type(), ParamChoice);
    EXPECT_EQ(choice.Min(), 0.0);
    EXPECT_EQ(choice.Max(), 1.0) << "max is at least min + step";

    IPlugParam outside;
    outside.DefineInteger("Outside", 50, 0, 10, "");
    EXPECT_EQ(outside.Type(), ParamInteger);
    EXPECT_EQ(outside.Value(), 50.0) << "the default is stored as given";
}

TEST(IPlugParam, RedefinitionKeepsTypeTextsAndCurve) {
    IPlugParam p;
    p.DefineChoice("Mode", 1, 3, "");
    p.AddValueText(1, "B");
    p.SetCurve(3.0);
    p.DefineInteger("Renamed", 31, 10, 8000, "ms");
    EXPECT_EQ(p.Type(), ParamChoice);
    EXPECT_STREQ(p.ValueText(1), "B");
    EXPECT_EQ(p.Curve(), 3.0);
    EXPECT_STREQ(p.Name(), "Renamed");
    EXPECT_EQ(p.Max(), 8000.0);
    EXPECT_EQ(p.Value(), 31.0) << "value reset to the new default";
}

TEST(IPlugParam, CurvedMapping) {
    IPlugParam p = Freq();
    p.SetFromNormalized(0.5);
    EXPECT_EQ(p.Value(), 5075.0);
    EXPECT_NEAR(p.ToNormalized(6000.0), std::sqrt(5900.0 / 19900.0), 1e-15);
    p.SetCurve(0.0);
    EXPECT_EQ(p.Curve(), 2.0) << "0 keeps the previous exponent";
}

TEST(IPlugParam, GridCountsFromZeroWithCutOnlyAtMax) {
    IPlugParam p;
    p.DefineReal("Odd", 0.3, 0.3, 10.3, 1.0, "");
    // A real parameter is not put on the grid at all.
    p.SetFromNormalized(0.0);
    EXPECT_DOUBLE_EQ(p.Value(), 0.3);

    IPlugParam grid;
    grid.DefineInteger("Grid", 0, 0, 10, "");
    grid.DefineReal("Grid", 0.3, 0.3, 9.5, 2.0, "");
    grid.SetFromNormalized(0.0);
    EXPECT_EQ(grid.Value(), 0.0) << "0.3 rounds to the grid point 0, below min";
    grid.SetFromNormalized(1.0);
    EXPECT_DOUBLE_EQ(grid.Value(), 9.5) << "9.5 rounds to the grid point 10, cut to max";
    grid.SetFromNormalized(0.5);
    EXPECT_EQ(grid.Value(), 4.0) << "4.9 rounds to 4 on a grid from 0, not to 4.3 from min";

    IPlugParam linear;
    linear.DefineInteger("Linear", 0, 0, 100, "");
    linear.SetFromNormalized(-0.1);
    EXPECT_EQ(linear.Value(), -10.0) << "no cut at min";
    linear.SetFromNormalized(0.005);
    EXPECT_EQ(linear.Value(), 1.0) << "0.5 rounds up";
}

TEST(IPlugParam, NegativePositionOnFractionalCurveNeverStoresNaN) {
    IPlugParam p;
    p.DefineInteger("Curved", 10, 10, 100, "");
    p.SetCurve(2.5);
    p.SetFromNormalized(-0.5);
    EXPECT_EQ(p.Value(), 10.0);
    p.SetFromNormalized(std::nan(""));
    EXPECT_EQ(p.Value(), 10.0);
}

TEST(IPlugParam, SetValueClamps) {
    IPlugParam p = Freq();
    for (auto [v, stored] : {std::pair{50.0, 100.0},
                             {99.9, 100.0},
                             {100.0, 100.0},
                             {6000.5, 6000.5},
                             {20000.0, 20000.0},
                             {20000.1, 20000.0},
                             {1e9, 20000.0},
                             {std::nan(""), 100.0}}) {
        p.SetValue(v);
        EXPECT_EQ(p.Value(), stored) << v;
    }
}

TEST(IPlugParam, RoundedValueIsHalfAwayFromZero) {
    IPlugParam p;
    p.DefineReal("R", 0.0, -100.0, 100.0, 0.5, "");
    for (auto [value, rounded] : {std::pair{2.5, 3}, {-2.5, -3}, {-2.4, -2}, {2.4, 2}}) {
        p.SetValue(value);
        EXPECT_EQ(p.RoundedValue(), rounded) << value;
    }
}

TEST(IPlugParam, FormatValueTextsAndNumbers) {
    IPlugParam rate;
    rate.DefineChoice("Rate", 9, 25, "");
    rate.AddValueText(9, "1/8");
    EXPECT_EQ(rate.FormatValue(9.0, false), "1/8");
    EXPECT_EQ(rate.FormatValue(9.7, false), "1/8") << "the record is found by truncation";
    EXPECT_EQ(rate.FormatValue(0.0, false), "0") << "no record for 0";
    EXPECT_EQ(rate.FormatValue(10.0, false), "10");

    IPlugParam empty;
    empty.DefineChoice("Empty", 0, 3, "");
    empty.AddValueText(2, "");
    EXPECT_EQ(empty.FormatValue(2.0, false), "2") << "an empty text falls through";

    IPlugParam integer;
    integer.DefineInteger("I", 0, -100, 100, "");
    EXPECT_EQ(integer.FormatValue(9.0, false), "9");
    EXPECT_EQ(integer.FormatValue(2.7, false), "2") << "truncated, not rounded";
    EXPECT_EQ(integer.FormatValue(-0.4, false), "0");
    EXPECT_EQ(integer.FormatValue(0.5, true), "0") << "normalised, no grid rounding";
    EXPECT_EQ(integer.FormatValue(0.755, true), "51");

    IPlugParam real;
    real.DefineReal("Real", 0.0, 0.0, 1.0, 0.01, "");
    EXPECT_EQ(real.FormatValue(0.256, false), "0.26");
}

TEST(IPlugParam, DuplicateValueTextsTakeTheFirst) {
    IPlugParam p;
    p.DefineChoice("Dup", 0, 3, "");
    p.AddValueText(1, "first");
    p.AddValueText(1, "second");
    EXPECT_EQ(p.ValueTextCount(), 2);
    EXPECT_STREQ(p.ValueText(1), "first");
    EXPECT_EQ(p.FormatValue(1.0, false), "first");
    EXPECT_STREQ(p.ValueText(2), "");
    int v = -1;
    EXPECT_TRUE(p.FindValueText("second", v));
    EXPECT_EQ(v, 1);
}

TEST(IPlugParam, ParseValue) {
    IPlugParam sync;
    sync.DefineChoice("Host Sync", 1, 2, "");
    sync.AddValueText(0, "No");
    sync.AddValueText(1, "Yes");
    EXPECT_EQ(sync.ParseValue("Yes"), 1.0);
    int v = 0;
    EXPECT_FALSE(sync.FindValueText("yes", v)) << "case-sensitive";
    EXPECT_EQ(sync.ParseValue("yes"), 0.0);

    IPlugParam ms;
    ms.DefineInteger("Delay Time", 500, 1, 24000, "ms");
    EXPECT_EQ(ms.ParseValue("250ms"), 250.0);
    EXPECT_EQ(ms.ParseValue("  -1.5e2 x"), -150.0);
    EXPECT_EQ(ms.ParseValue("+.5"), 0.5);
    EXPECT_EQ(ms.ParseValue("7."), 7.0);
    EXPECT_EQ(ms.ParseValue("3e"), 3.0) << "an exponent without digits is not read";
    EXPECT_EQ(ms.ParseValue("ms"), 0.0);
    EXPECT_EQ(ms.ParseValue("."), 0.0);
    EXPECT_EQ(ms.ParseValue("nan"), 0.0) << "only decimal numbers";
    EXPECT_EQ(ms.ParseValue("1e-999"), 0.0);
    EXPECT_TRUE(std::isinf(ms.ParseValue("1e999")));
    EXPECT_EQ(ms.ParseValue(nullptr), 0.0);
}

TEST(IPlugParam, LongTextsAreCut) {
    IPlugParam p;
    std::string longName(80, 'n');
    p.DefineInteger(longName.c_str(), 0, 0, 1, longName.c_str());
    EXPECT_EQ(std::string(p.Name()), std::string(31, 'n'));
    EXPECT_EQ(std::string(p.Label()), std::string(31, 'n'));
    p.AddValueText(0, longName.c_str());
    EXPECT_EQ(std::string(p.ValueText(0)), std::string(31, 'n'));
}
