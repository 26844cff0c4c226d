#include "core/plug_param.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

int TruncateToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

int RoundHalfAway(double v) {
    return TruncateToInt32(v >= 0.0 ? v + 0.5 : v - 0.5);
}

void CopyText(char* dest, const char* src, int size) {
    if (size <= 0) return;
    if (!src) src = "";
    std::size_t n = strnlen(src, static_cast<std::size_t>(size - 1));
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}

IPlugParam::IPlugParam() = default;

void IPlugParam::DefineReal(const char* name, double defaultValue, double min, double max,
                            double step, const char* label) {
    if (type_ == ParamNone) type_ = ParamReal;
    CopyText(name_, name, kTextSize);
    CopyText(label_, label, kTextSize);
    value_ = defaultValue;
    min_ = min;
    max_ = max >= min + step ? max : min + step;
    step_ = step;
    precision_ = 0;
    // Decimals needed to show one step; steps beyond 64-bit integers count as whole.
    double s = step;
    while (std::fabs(s) < 9.2e18 && s != std::floor(s) && precision_ < 6) {
        ++precision_;
        s *= 10.0;
    }
}

void IPlugParam::DefineInteger(const char* name, int defaultValue, int min, int max,
                               const char* label) {
    if (type_ == ParamNone) type_ = ParamInteger;
    DefineReal(name, defaultValue, min, max, 1.0, label);
}

void IPlugParam::DefineChoice(const char* name, int defaultIndex, int count, const char* label) {
    if (type_ == ParamNone) type_ = ParamChoice;
    DefineReal(name, defaultIndex, 0.0, static_cast<double>(count) - 1.0, 1.0, label);
}

void IPlugParam::SetCurve(double exponent) {
    if (exponent != 0.0) curve_ = exponent;
}

void IPlugParam::SetSymbol(const char* symbol) {
    CopyText(symbol_, symbol, kTextSize);
}

void IPlugParam::AddValueText(int value, const char* text) {
    ValueTextRecord record{};
    record.value = value;
    CopyText(record.text, text, kTextSize);
    valueTexts_.Append(&record, sizeof record);
}

void IPlugParam::SetValue(double v) {
    if (!(v >= min_))
        value_ = min_;
    else if (v > max_)
        value_ = max_;
    else
        value_ = v;
}

double IPlugParam::FromNormalizedUnrounded(double x) const {
    return std::pow(x, curve_) * (max_ - min_) + min_;
}

void IPlugParam::SetFromNormalized(double x) {
    double v = FromNormalizedUnrounded(x);
    // The grid counts from 0, not from min; there is deliberately no cut at min.
    if (type_ != ParamReal && step_ > 0.0) v = std::floor(v / step_ + 0.5) * step_;
    if (v >= max_) v = max_;
    // A negative position on a fractional curve has no value: never store a NaN.
    if (std::isnan(v)) v = min_;
    value_ = v;
}

double IPlugParam::ToNormalized(double v) const {
    if (!(v >= min_)) v = min_;
    if (v > max_) v = max_;
    if (!(max_ > min_)) return 0.0;
    return std::pow((v - min_) / (max_ - min_), 1.0 / curve_);
}

int IPlugParam::RoundedValue() const {
    return RoundHalfAway(value_);
}

std::string IPlugParam::FormatValue(double v, bool isNormalized) const {
    if (isNormalized) v = FromNormalizedUnrounded(v);
    if (ValueTextCount() > 0) {
        const char* text = ValueText(TruncateToInt32(v));
        if (text[0] != '\0') return text;
    }
    if (v == 0.0) return "0";
    char buffer[64];
    if (precision_ == 0)
        std::snprintf(buffer, sizeof buffer, "%d", TruncateToInt32(v));
    else
        std::snprintf(buffer, sizeof buffer, "%.*f", precision_, v);
    return buffer;
}

double IPlugParam::ParseValue(const char* text) const {
    if (!text) return 0.0;
    int found = 0;
    if (ValueTextCount() > 0 && FindValueText(text, found)) return found;

    // The leading decimal number, read the same way in every locale the host may have set.
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    bool intDigits = p > digits;
    bool fracDigits = false;
    if (*p == '.') {
        const char* f = ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        fracDigits = p > f;
    }
    if (!intDigits && !fracDigits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (*e >= '0' && *e <= '9') {
            p = e;
            while (*p >= '0' && *p <= '9')
                ++p;
        }
    }
    // from_chars takes no '+' and wants a digit before a lone point.
    std::string number(start, p);
    if (!number.empty() && number[0] == '+') number.erase(0, 1);
    double result = 0.0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result);
    if (error == std::errc::result_out_of_range) {
        bool underflow =
            number.find("e-") != std::string::npos || number.find("E-") != std::string::npos;
        if (underflow) return 0.0;
        return (number[0] == '-') ? -HUGE_VAL : HUGE_VAL;
    }
    if (error != std::errc()) return 0.0;
    (void)end;
    return result;
}

int IPlugParam::ValueTextCount() const {
    return valueTexts_.Size() / static_cast<int>(sizeof(ValueTextRecord));
}

const char* IPlugParam::ValueText(int value) const {
    const ValueTextRecord* records = Records();
    for (int i = 0, n = ValueTextCount(); i < n; ++i)
        if (records[i].value == value) return records[i].text;
    return "";
}

bool IPlugParam::FindValueText(const char* text, int& outValue) const {
    if (!text) return false;
    const ValueTextRecord* records = Records();
    for (int i = 0, n = ValueTextCount(); i < n; ++i) {
        if (std::strcmp(records[i].text, text) == 0) {
            outValue = records[i].value;
            return true;
        }
    }
    return false;
}
