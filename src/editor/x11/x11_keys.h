#pragma once

#include <cstdint>

// The editor's key code for an X keysym, or -1 for keys the editor ignores. Keys are first
// named as the Win32 window layer sees them (its virtual-key values) and then go through
// the same table, so that a key gives the same code on both systems.
int EditorKeyCode(std::uint32_t keysym);

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
