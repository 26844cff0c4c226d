#pragma once

#include <optional>
#include <string>

// A font file that fontconfig picks for a family name and style: the installed face, or a
// metric-compatible or similar one in its place ("Arial" -> Liberation Sans).
struct MatchedFont {
    std::string file;
    int index = 0;       // face within the file
    bool bold = false;   // the face itself is bold
    bool italic = false; // the face itself is italic or oblique
};

std::optional<MatchedFont> MatchFont(const char* family, bool bold, bool italic);
