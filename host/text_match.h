// How the command line matches names and values the user typed against a plug-in's texts.
#pragma once

#include <string>

namespace vhost {

// Trimmed copy of a text (spaces, tabs and line ends at both ends removed).
std::string trimmed(const std::string& text);
// Case-insensitive (ASCII) comparison of two trimmed texts.
bool sameName(const std::string& a, const std::string& b);

} // namespace vhost
