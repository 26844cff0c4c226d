#include "controls/slider.h"

#include "core/plug_param.h"
#include "editor/plug_editor.h"

#include <string>

ISliderImg::ISliderImg(IPlugBase* plug, int paramIndex, const IPlugRect& rect,
                       const IPlugImage& handle, const IPlugText& textStyle, int trackLength,
                       bool horizontal)
    : IControl(plug, rect, paramIndex), textStyle_(textStyle), handle_(handle),
      trackLength_(trackLength), vertical_(!horizontal) {
    const float cx = (rect.left + rect.right) * 0.5f;
    if (vertical_) {
        travel_ = trackLength - handle.height;
        track_ = {RoundHalfAway(cx - handle.width * 0.5), rect.top,
                  RoundHalfAway(cx + handle.width * 0.5), rect.top + trackLength};
    } else {
        travel_ = trackLength - handle.width;
        track_ = {RoundHalfAway(cx - trackLength / 2), rect.top,
                  RoundHalfAway(cx + trackLength / 2), rect.top + handle.height};
    }
}

void ISliderImg::MouseDown(int x, int y, const MouseKeys& mod) {
    if (mod.right) {
        OpenValueEntry();
        return;
    }
    if (track_.Contains(x, y)) Jump(x, y);
}

void ISliderImg::MouseDrag(int x, int y, int, int, const MouseKeys&) {
    if (track_.Contains(x, y)) Jump(x, y);
}

void ISliderImg::Jump(int x, int y) {
    // A track no longer than the handle has nowhere to move: stay at the bottom.
    if (travel_ <= 0) {
        SetValue(0.0);
    } else if (vertical_) {
        SetValue(1.0 - (y - track_.top - handle_.height * 0.5) / travel_);
    } else {
        SetValue((x - track_.left - handle_.width * 0.5) / travel_);
    }
    MarkDirty(true);
}

bool ISliderImg::Draw(IPlugEditor& editor) {
    const IPlugRect& r = DrawRect();
    const IPlugParam* param = Param();
    std::string text = param ? param->FormatValue(param->Value(), false) : std::string();
    const int size = textStyle_.size;
    if (!text.empty() && size > 0) {
        textStyle_.align = TEXT_ALIGN_CENTER;
        text += param->Label();
        editor.DrawText(textStyle_, text.c_str(), {r.left, r.bottom - size, r.right, r.bottom});
    }

    // The handle follows the parameter, so a host change shows before the control's value.
    const double v = param ? param->NormalizedValue() : Value();
    IPlugRect handleRect;
    if (vertical_) {
        const int y = RoundHalfAway(static_cast<float>(travel_ * (1.0 - v) + track_.top));
        handleRect = {track_.left, y, track_.right, y + handle_.height};
    } else {
        const float x = static_cast<float>(track_.left + travel_ * v);
        handleRect = {RoundHalfAway(x), track_.top, RoundHalfAway(x + handle_.width), r.bottom};
    }
    return editor.DrawImageFrame(handle_, handleRect, 1, &Blend(), true);
}

ISlider::ISlider(IPlugBase* plug, int paramIndex, const IPlugRect& rect, const IPlugImage& handle,
                 const IPlugText& textStyle, int trackLength, bool horizontal,
                 const IPlugColor& barColour, int barWidth, int barEndInset)
    : ISliderImg(plug, paramIndex, rect, handle, textStyle, trackLength, horizontal),
      barColour_(barColour), barWidth_(barWidth), barEndInset_(barEndInset) {}

bool ISlider::Draw(IPlugEditor& editor) {
    const IPlugRect& track = Track();
    const int travel = Travel();
    const int w = barWidth_ / 2;
    if (Vertical()) {
        const int handleHalf = Handle().height / 2;
        const double d = travel * (1.0 - Value());
        if (travel + handleHalf - barEndInset_ > d) {
            const double cx = (track.left + track.right) * 0.5;
            editor.DrawFilledRect(barColour_,
                                  {RoundHalfAway(cx - w), RoundHalfAway(d + track.top + handleHalf),
                                   RoundHalfAway(cx + w),
                                   track.top + travel + Handle().height - barEndInset_});
        }
    } else {
        const double b = travel * Value() + Handle().width / 2;
        if (b > barEndInset_) {
            const double cy = (track.top + track.bottom) * 0.5;
            editor.DrawFilledRect(barColour_,
                                  {barEndInset_ + track.left, RoundHalfAway(cy - w),
                                   RoundHalfAway(track.left + b), RoundHalfAway(cy + w)});
        }
    }
    return ISliderImg::Draw(editor);
}
