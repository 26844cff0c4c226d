#pragma once

#include "base/geometry.h"
#include "bitmap/heap_bitmap.h"
#include "editor/display_scale.h"
#include "editor/drawn_entry.h"
#include "editor/entry_session.h"

#include <memory>
#include <string>

// A one-line text field drawn by us: the text, its caret and its selection, edited as a
// native field edits them. Presses come in the coordinates of the field's area; it paints
// itself into a bitmap of the area's size that the window layer shows.
class DrawnTextField {
public:
    // A field over area (device pixels) holding text, all of it selected; align as
    // IPlugText's. The font, frame, margins and caret are panel lengths drawn at the scale.
    DrawnTextField(const IPlugRect& area, const std::string& text, int align, EntryFont font = {},
                   bool readOnly = false, DisplayScale scale = {});

    EntryAction Key(EntryKey key, const char* typed);
    EntryAction Press(int x, int y);

    const IPlugRect& Area() const { return area_; }
    const std::string& Text() const { return text_; }
    int Caret() const { return caret_; }
    bool AllSelected() const { return allSelected_; }
    // The field's picture, Area() sized, redrawn after every change.
    const HeapBitmap& Face() const { return *face_; }

private:
    void DeleteSelection();
    int CaretAt(int x) const;
    int TextLeft() const;
    void Render();

    IPlugRect area_;
    std::string text_;
    int caret_ = 0; // byte offset in text_
    bool allSelected_ = true;
    int align_;
    EntryFont font_;
    bool readOnly_;
    // In device pixels: the border's width (also the caret's), and the text's and the
    // caret's distance from the field's edges.
    int line_;
    int inset_;
    std::unique_ptr<HeapBitmap> face_ = std::make_unique<HeapBitmap>(0, 0);
};
