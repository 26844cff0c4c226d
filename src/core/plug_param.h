#pragma once

#include "core/grow_buffer.h"

#include <string>

enum ParamType : int {
    ParamNone = 0,
    ParamIntegerReserved = 1,
    ParamInteger = 2,
    ParamChoice = 3,
    ParamReal = 4,
};

// One automatable parameter: its plain value, range, curve, display texts. Every
// conversion between normalised, plain and display values goes through here.
class IPlugParam {
public:
    static constexpr int kTextSize = 32; // 31 characters and a terminator

    IPlugParam();

    void DefineReal(const char* name, double defaultValue, double min, double max, double step,
                    const char* label);
    void DefineInteger(const char* name, int defaultValue, int min, int max, const char* label);
    void DefineChoice(const char* name, int defaultIndex, int count, const char* label);
    void SetCurve(double exponent);
    void AddValueText(int value, const char* text);
    // A name for formats that address parameters by text (LV2's port symbols): chosen by
    // the effect, never derived from the display name, so that renaming a parameter keeps
    // saved sessions. Kept when the parameter is defined again.
    void SetSymbol(const char* symbol);

    void SetValue(double v);
    void SetFromNormalized(double x);
    double ToNormalized(double v) const;
    double NormalizedValue() const { return ToNormalized(value_); }
    int RoundedValue() const;

    std::string FormatValue(double v, bool isNormalized) const;
    double ParseValue(const char* text) const;

    int ValueTextCount() const;
    const char* ValueText(int value) const;
    bool FindValueText(const char* text, int& outValue) const;

    ParamType Type() const { return type_; }
    bool IsIntegerValued() const { return type_ >= 1 && type_ <= 3; }
    double Value() const { return value_; }
    double Min() const { return min_; }
    double Max() const { return max_; }
    double Step() const { return step_; }
    double Curve() const { return curve_; }
    int DisplayPrecision() const { return precision_; }
    const char* Name() const { return name_; }
    const char* Label() const { return label_; }
    const char* Symbol() const { return symbol_; }
    void GetRange(double& outMin, double& outMax) const {
        outMin = min_;
        outMax = max_;
    }

private:
    struct ValueTextRecord {
        int value;
        char text[kTextSize];
    };
    static_assert(sizeof(ValueTextRecord) == 36);

    const ValueTextRecord* Records() const { return valueTexts_.As<ValueTextRecord>(); }
    double FromNormalizedUnrounded(double x) const;

    ParamType type_ = ParamNone;
    double value_ = 0.0;
    double min_ = 0.0;
    double max_ = 1.0;
    double step_ = 1.0;
    double curve_ = 1.0;
    int precision_ = 0;
    char name_[kTextSize] = {};
    char label_[kTextSize] = {};
    char symbol_[kTextSize] = {};
    GrowBuffer valueTexts_{4096};
};

// Conversions that saturate instead of overflowing, for values that come from outside.
int TruncateToInt32(double v);
int RoundHalfAway(double v);
// Copies at most size - 1 characters and always terminates; a null source gives "".
void CopyText(char* dest, const char* src, int size);
