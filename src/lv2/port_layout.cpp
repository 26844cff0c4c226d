#include "lv2/port_layout.h"

std::string PortSymbol(const char* name) {
    std::string symbol;
    for (const char* p = name ? name : ""; *p; ++p) {
        const char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
            symbol += c;
        else if (c >= 'A' && c <= 'Z')
            symbol += static_cast<char>(c - 'A' + 'a');
        else if (!symbol.empty() && symbol.back() != '_')
            symbol += '_';
    }
    while (!symbol.empty() && symbol.back() == '_')
        symbol.pop_back();
    if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol = "_" + symbol;
    return symbol;
}
