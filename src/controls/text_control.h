#pragma once

#include "bitmap/text/plug_text.h"
#include "controls/control.h"
#include "core/grow_buffer.h"

// A string in a rectangle, with a text style; it has no parameter.
class ITextControl : public IControl {
public:
    ITextControl(IPlugBase* plug, const IPlugRect& rect, const IPlugText& style, const char* text);
    bool Draw(IPlugEditor& editor) override;

    void SetText(const char* text);
    const char* Text() const;
    const IPlugText& Style() const { return style_; }
    // Whether typed entry may replace the text (none of this effect's texts allow it).
    bool IsEditable() const { return editable_; }
    void SetEditable(bool editable) { editable_ = editable; }

private:
    IPlugText style_;
    GrowBuffer text_{128};
    bool editable_ = false;
};
