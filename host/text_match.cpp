#include "host/text_match.h"

#include <algorithm>
#include <cctype>

namespace vhost {

std::string trimmed(const std::string& text) {
    auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), space);
    auto end =
        std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(begin), space).base();
    return std::string(begin, end);
}

bool sameName(const std::string& a, const std::string& b) {
    std::string x = trimmed(a), y = trimmed(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](unsigned char p, unsigned char q) {
        return std::tolower(p) == std::tolower(q);
    });
}

} // namespace vhost
