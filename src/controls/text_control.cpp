#include "controls/text_control.h"

#include "editor/plug_editor.h"

#include <cstring>

ITextControl::ITextControl(IPlugBase* plug, const IPlugRect& rect, const IPlugText& style,
                           const char* text)
    : IControl(plug, rect, -1), style_(style) {
    if (text) text_.Append(text, static_cast<int>(std::strlen(text)) + 1);
}

const char* ITextControl::Text() const {
    return text_.Size() > 0 ? reinterpret_cast<const char*>(text_.Data()) : "";
}

void ITextControl::SetText(const char* text) {
    if (!text) text = "";
    if (std::strcmp(text, Text()) == 0) return;
    MarkDirty(false);
    text_.Clear();
    text_.Append(text, static_cast<int>(std::strlen(text)) + 1);
}

bool ITextControl::Draw(IPlugEditor& editor) {
    const char* text = Text();
    if (!text[0]) return true;
    return editor.DrawText(style_, text, DrawRect());
}
