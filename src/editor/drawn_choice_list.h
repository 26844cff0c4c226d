#pragma once

#include "bitmap/heap_bitmap.h"
#include "editor/display_scale.h"
#include "editor/drawn_entry.h"
#include "editor/entry_session.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A choice list drawn by us, for a popup window of its own: a header showing the chosen
// value above the rows of every choice, scrolled when not all of them fit. Keys and the
// pointer move a highlight; Enter or a click on a row chooses (a commit), Escape cancels.
// Coordinates are the list's own device pixels.
class DrawnChoiceList {
public:
    // Panel lengths, drawn at the scale as the panel's are.
    static constexpr int kHeaderHeight = 20;
    static constexpr int kRowHeight = 18;
    // Letters typed within this time of each other spell one prefix.
    static constexpr std::uint32_t kTypeAheadMs = 1000;
    static constexpr int kWheelRows = 3;

    // A list of choices opening on `selected` (-1: none), `width` device pixels wide and
    // showing as many rows as `maxHeight` device pixels hold, at least one; its rows, frame
    // and font (given in panel units) at the scale.
    DrawnChoiceList(std::vector<std::string> choices, int selected, int width, int maxHeight,
                    DisplayScale scale = {}, EntryFont font = {});

    EntryAction Key(EntryKey key, const char* typed, std::uint32_t timeMs);
    // A press at x, y: a row is chosen; elsewhere nothing.
    EntryAction Press(int x, int y);
    // The pointer over the list highlights the row under it; answers whether that changed it.
    bool Hover(int x, int y);
    // Scrolls by notches (up positive); answers whether the list moved.
    bool Wheel(int notches);

    int Width() const { return width_; }
    int Height() const { return header_ + row_ * visible_; }
    int Count() const { return static_cast<int>(choices_.size()); }
    int VisibleRows() const { return visible_; }
    int Top() const { return top_; }
    int Highlighted() const { return highlight_; }
    int Chosen() const { return chosen_; }
    // The chosen value's text, empty when none is.
    std::string Text() const;
    // The row at y, -1 for the header or outside.
    int RowAt(int x, int y) const;
    // The list's picture, Width() x Height(), redrawn after every change.
    const HeapBitmap& Face() const { return *face_; }

private:
    bool MoveHighlight(int to);
    int Find(const std::string& prefix, int from) const;
    void TypeAhead(const char* typed, std::uint32_t timeMs);
    void Render();

    std::vector<std::string> choices_;
    int chosen_;
    int highlight_;
    int width_;
    DisplayScale scale_;
    int line_; // the frame's width
    int header_;
    int row_;
    int visible_;
    int top_ = 0;
    EntryFont font_;
    std::string prefix_;
    std::uint32_t lastTyped_ = 0;
    std::unique_ptr<HeapBitmap> face_ = std::make_unique<HeapBitmap>(0, 0);
};
