#include "host/text_match.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vhost {

std::string Trimmed(const std::string& text) {
    auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), space);
    auto end =
        std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(begin), space).base();
    return std::string(begin, end);
}

bool SameName(const std::string& a, const std::string& b) {
    std::string x = Trimmed(a), y = Trimmed(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](unsigned char p, unsigned char q) {
        return std::tolower(p) == std::tolower(q);
    });
}

bool ParseDecimal(const std::string& text, double& value) {
    // strtod also takes hexadecimal, "inf" and "nan", and skips leading spaces: only digits,
    // one point, a sign and an exponent are let through to it.
    const bool decimalCharacters =
        !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
            return std::isdigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        });
    if (!decimalCharacters) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

std::string ShortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Counted(std::int64_t n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

} // namespace vhost
