#include "controls/button.h"

#include "core/plug_param.h"
#include "editor/plug_editor.h"

#include <algorithm>

IButton::IButton(IPlugBase* plug, int paramIndex, int x, int y, const IPlugImage& image)
    : IControl(plug, {x, y, x + image.width, y + image.height / std::max(image.frames, 1)},
               paramIndex),
      image_(image) {}

void IButton::Toggle(const MouseKeys& mod) {
    if (!mod.right) SetValue(Value() > 0.5 ? 0.0 : 1.0);
}

void IButton::MouseDown(int, int, const MouseKeys& mod) {
    Toggle(mod);
    MarkDirty(true);
}

bool IButton::Draw(IPlugEditor& editor) {
    if (Value() <= 0.5) return true;
    return editor.DrawImageFrame(image_, DrawRect(), 1, nullptr, true);
}

IButtonClick::IButtonClick(IPlugBase* plug, int paramIndex, int x, int y, const IPlugImage& image,
                           bool* clicked)
    : IButton(plug, paramIndex, x, y, image), clicked_(clicked) {}

void IButtonClick::MouseDown(int, int, const MouseKeys& mod) {
    Toggle(mod);
    if (clicked_) *clicked_ = true;
    MarkDirty(true);
}

IRadioButtons::IRadioButtons(IPlugBase* plug, int paramIndex, int x, int y, const IPlugImage& image,
                             bool wholeGroupPicture, int direction, int size1, int size2, int size3)
    : IControl(plug, {}, paramIndex), image_(image), vertical_(direction != 1) {
    const int n = std::max(image.frames, 1);
    const int w = image.width, h = image.height;
    IPlugRect group;
    if (wholeGroupPicture)
        group = {x, y, x + w, y + h};
    else if (vertical_)
        group = {x, y, x + w, y + n * h};
    else
        group = {x, y, x + n * w, y + h};
    SetRects(group);

    buttons_.Resize(n * static_cast<int>(sizeof(IPlugRect)));
    auto* rects = buttons_.As<IPlugRect>();
    if (!wholeGroupPicture) {
        for (int i = 0; i < n; ++i)
            rects[i] = vertical_ ? IPlugRect{x, y + i * h, x + w, y + (i + 1) * h}
                                 : IPlugRect{x + i * w, y, x + (i + 1) * w, y + h};
        return;
    }
    const int length = vertical_ ? h : w;
    const int sizes[3] = {size1, size2, size3};
    const bool anyFixed = size1 != 0 || size2 != 0 || size3 != 0;
    int start = vertical_ ? y : x;
    for (int i = 0; i < n; ++i) {
        int size;
        if (i == n - 1)
            size = anyFixed ? length - size1 - size2 - size3 : length / n;
        else
            size = sizes[std::min(i, 2)] != 0 ? sizes[std::min(i, 2)] : length / n;
        rects[i] = vertical_ ? IPlugRect{x, start, x + w, start + size}
                             : IPlugRect{start, y, start + size, y + h};
        start += size;
    }
}

void IRadioButtons::MouseDown(int x, int y, const MouseKeys& mod) {
    if (mod.right) {
        OpenValueEntry();
        MarkDirty(true);
        return;
    }
    const int n = NButtons();
    for (int i = 0; i < n; ++i) {
        if (Button(i).Contains(x, y)) {
            // A group of one button has nowhere to go but 0.
            SetValue(n > 1 ? static_cast<double>(i) / (n - 1) : 0.0);
            break;
        }
    }
    MarkDirty(true);
}

bool IRadioButtons::Draw(IPlugEditor& editor) {
    const int n = NButtons();
    if (n == 0) return true;
    const int k = RoundHalfAway((n - 1) * Value());
    const IPlugRect lit = Button(std::clamp(k + 1, 1, n) - 1);
    const IPlugRect& group = DrawRect();
    if (vertical_) return editor.DrawImageArea(image_, lit, 0, lit.top - group.top, &Blend());
    return editor.DrawImageArea(image_, lit, lit.left - group.left, 0, &Blend());
}

ILinkControl::ILinkControl(IPlugBase* plug, const IPlugRect& rect, const char* link,
                           const char* fallback, const char* windowTitle)
    : IControl(plug, rect, -1) {
    CopyText(link_, link, sizeof link_);
    CopyText(fallback_, fallback, sizeof fallback_);
    CopyText(title_, windowTitle, sizeof title_);
}

void ILinkControl::MouseDown(int, int, const MouseKeys&) {
    IPlugEditor* editor = Editor();
    if (!editor) return;
    if (link_[0] && editor->OpenLink(link_, title_, nullptr, nullptr)) return;
    if (fallback_[0]) editor->OpenLink(fallback_, title_, nullptr, nullptr);
}
