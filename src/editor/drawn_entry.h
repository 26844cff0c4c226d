#pragma once

// What the entry boxes that we draw ourselves (for window systems without native ones)
// share: the keys they hear, as the window layer names them, their type and their colours.
#include "base/geometry.h"
#include "editor/entry_plan.h"

#include <cstdint>
#include <string>

class PixelBitmap;
struct IPlugText;

enum class EntryKey {
    Other,
    Enter,
    Escape,
    Up,
    Down,
    Left,
    Right,
    PageUp,
    PageDown,
    Home,
    End,
    Backspace,
    Delete
};

namespace entry_look {

constexpr std::uint32_t kField = 0xFFFFFFFF;
constexpr std::uint32_t kBorder = 0xFF404040;
constexpr std::uint32_t kText = 0xFF000000;
constexpr std::uint32_t kSelection = 0xFF3370CC;
constexpr std::uint32_t kSelectedText = 0xFFFFFFFF;
constexpr std::uint32_t kHeader = 0xFFE4E4E4;
constexpr std::uint32_t kScrollThumb = 0xFF909090;

void Fill(PixelBitmap& bitmap, const IPlugRect& r, std::uint32_t colour);
// One line of text, vertically centred in r, from r's left edge.
void Write(PixelBitmap& bitmap, const EntryFont& font, const std::string& text, const IPlugRect& r,
           std::uint32_t colour);
int TextWidth(const EntryFont& font, const std::string& text);

} // namespace entry_look
