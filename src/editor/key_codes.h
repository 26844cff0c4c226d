#pragma once

// The editor's key code (KeyDown's) for a key named by its Win32 virtual-key value, or -1 for
// keys the editor ignores: space 0, the arrows up, down, left, right 1-4, digits 5-14 and
// letters 15-40 (and the values 97-122 count as letters too). The window layers of other
// systems name their keys by these values first, so a key gives the same code everywhere.
int EditorKeyCode(int virtualKey);

// The virtual-key values the table names.
namespace virtual_key {
constexpr int kSpace = 32;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;
constexpr int kDigit0 = 48;
constexpr int kLetterA = 65;
constexpr int kNumpad0 = 96;
constexpr int kMultiply = 106;
constexpr int kF1 = 112;
} // namespace virtual_key
