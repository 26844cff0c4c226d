#pragma once

#include "editor/drawn_entry.h"

#include <cstdint>

// An X keysym named as the Win32 layer sees the key, by its virtual-key value, for the
// editor's one key table (EditorKeyCode); 0 for keys the table does not name.
int VirtualKeyOf(std::uint32_t keysym);

// An X keysym as the entry boxes we draw hear it.
EntryKey EntryKeyOf(std::uint32_t keysym);

// Double-clicks as the Win32 layer gets them: a second left press within 500 ms of the
// first and no more than 2 pixels away from it either way. A double-click ends the run: the
// next press is a single one again.
class ClickCounter {
public:
    static constexpr std::uint32_t kTimeMs = 500;
    static constexpr int kDistance = 2;

    // Records a press; answers true when it completes a double-click.
    bool Press(int button, std::uint32_t timeMs, int x, int y);

private:
    bool armed_ = false;
    int button_ = 0;
    std::uint32_t time_ = 0;
    int x_ = 0, y_ = 0;
};
