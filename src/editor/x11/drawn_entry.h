#pragma once

#include "base/geometry.h"
#include "bitmap/heap_bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The in-place entry box of the X11 window layer, drawn by us inside the editor window: a
// one-line text field or an open choice list. It knows nothing of X: keys arrive as keysyms
// with the text they type, presses in editor coordinates, and it paints itself into a
// bitmap of its own size that the window puts over the editor's picture.
class DrawnEntry {
public:
    // What a key or a press asks of the entry's state machine.
    enum class Action { None, Typing, Commit, Cancel };

    static constexpr int kMaxText = 999;
    static constexpr int kHeaderHeight = 20;
    static constexpr int kRowHeight = 18;

    // A text field over area, holding text, all of it selected; align as IPlugText's.
    static DrawnEntry TextField(const IPlugRect& area, const std::string& text, int align);
    // A choice list whose top-left corner and width are those of allotted, showing its
    // selected entry (none: -1) above the open list of choices.
    static DrawnEntry ChoiceList(const IPlugRect& allotted, std::vector<std::string> choices,
                                 int selected);

    Action Key(std::uint32_t keysym, const char* typed);
    Action Press(int x, int y);

    bool IsChoiceList() const { return choice_; }
    // The editor pixels the box covers.
    const IPlugRect& Area() const { return area_; }
    // The text a commit applies: the field's text, or the selected choice's (empty: none).
    std::string Text() const;
    int Caret() const { return caret_; }
    bool AllSelected() const { return allSelected_; }
    int Selected() const { return selected_; }

    // The box's picture, Area() sized, redrawn after every change.
    const HeapBitmap& Face() const { return *face_; }

private:
    DrawnEntry(const IPlugRect& area, bool choice);
    void DeleteSelection();
    int TextWidth(const std::string& text) const;
    int CaretAt(int x) const;
    int TextLeft() const;
    void Render();

    IPlugRect area_;
    bool choice_;
    std::string text_;
    int caret_ = 0; // byte offset in text_
    bool allSelected_ = false;
    int align_ = 1;
    std::vector<std::string> choices_;
    int selected_ = -1;
    std::unique_ptr<HeapBitmap> face_ = std::make_unique<HeapBitmap>(0, 0);
};
