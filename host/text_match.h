// How the command line reads what the user typed: names matched against a plug-in's texts,
// and numbers as a person writes them.
#pragma once

#include <cstdint>
#include <string>

namespace vhost {

// Trimmed copy of a text (spaces, tabs and line ends at both ends removed).
std::string Trimmed(const std::string& text);
// Case-insensitive (ASCII) comparison of two trimmed texts.
bool SameName(const std::string& a, const std::string& b);

// A finite decimal number, all of `text`: "40", "-2.5", ".5", "1e3". Hexadecimal ("0x10"),
// infinities, NaN and surrounding spaces are not numbers here.
bool ParseDecimal(const std::string& text, double& value);

// "1000", "0.25", "1e+06": a number as short as printf's %g writes it.
std::string ShortNumber(double value);

// "1 input", "2 inputs": a count with its noun.
std::string Counted(std::int64_t n, const std::string& noun);

} // namespace vhost
