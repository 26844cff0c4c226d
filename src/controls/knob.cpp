#include "controls/knob.h"

#include "core/plug_param.h"
#include "editor/plug_editor.h"

#include <cmath>
#include <numbers>
#include <string>

namespace {
IPlugRect KnobRect(int centreX, int centreY, const IPlugImage& image, int textOffset, int textSize,
                   int textWidth) {
    const int halfHeight = RoundHalfAway(image.height * 0.5);
    const int halfWidth =
        textWidth != 0
            ? textWidth / 2
            : RoundHalfAway(static_cast<double>(image.width) / std::max(image.frames, 1) * 0.5);
    const int bottom =
        textOffset < 1 ? centreY + halfHeight : centreY + halfHeight + textOffset + textSize;
    return {centreX - halfWidth, centreY - halfHeight, centreX + halfWidth, bottom};
}
} // namespace

IKnobControl::IKnobControl(IPlugBase* plug, const IPlugRect& rect, int paramIndex, int direction,
                           double gearing)
    : IControl(plug, rect, paramIndex), direction_(direction), gearing_(gearing) {}

void IKnobControl::MouseDrag(int, int, int dX, int dY, const MouseKeys& mod) {
    double g = gearing_;
    if (mod.control || mod.shift) g *= 10.0;
    const IPlugRect& r = DrawRect();
    if (direction_ == 0)
        SetValue(Value() + dY / static_cast<double>(r.top - r.bottom) / g);
    else
        SetValue(Value() + dX / static_cast<double>(r.right - r.left) / g);
    MarkDirty(true);
}

IKnobRotVal::IKnobRotVal(IPlugBase* plug, int paramIndex, int centreX, int centreY,
                         const IPlugImage& image, const IPlugText& textStyle, int textOffset,
                         int rotationRange, double gearing, int textWidth, int direction,
                         float weight, bool showLabel)
    : IKnobControl(plug, KnobRect(centreX, centreY, image, textOffset, textStyle.size, textWidth),
                   paramIndex, direction, gearing),
      textStyle_(textStyle), image_(image), centreX_(centreX), centreY_(centreY),
      textOffset_(textOffset), rotationRange_(rotationRange), weight_(weight),
      showLabel_(showLabel) {}

bool IKnobRotVal::Draw(IPlugEditor& editor) {
    drawBlend_ = IPlugBlend{IPlugBlend::BlendAlpha, weight_};
    const IPlugRect& r = DrawRect();

    if (const IPlugParam* param = Param()) {
        std::string text = param->FormatValue(param->Value(), false);
        const int size = textStyle_.size;
        if (!text.empty() && size > 0) {
            textStyle_.align = TEXT_ALIGN_CENTER;
            if (showLabel_) text += param->Label();
            const IPlugRect textRect = textOffset_ >= 0
                                           ? IPlugRect{r.left, r.bottom - size, r.right, r.bottom}
                                           : IPlugRect{r.left, r.bottom + textOffset_ - size,
                                                       r.right, r.bottom + textOffset_};
            editor.DrawText(textStyle_, text.c_str(), textRect); // no font: still draw the knob
        }
    }

    const float halfSweep = static_cast<float>(rotationRange_ * std::numbers::pi / 360.0);
    const float lowEnd = static_cast<float>(rotationRange_ * -std::numbers::pi / 360.0);
    const double angle = 2.0 * Value() * halfSweep + lowEnd;
    const float offset = static_cast<float>(-std::fabs(2.0 * Value() - 1.0));

    if (image_.frames < 2)
        return editor.DrawImageRotated(image_, centreX_, centreY_, angle, offset, offset,
                                       &drawBlend_);

    // A dial with a fixed cap: the left half turns, the last frame is laid on top.
    if (!imageSlot_.bitmap)
        imageSlot_ = editor.CropImage(
            image_, IPlugRect{0, 0, RoundHalfAway(image_.width * 0.5), image_.height});
    editor.DrawImageRotated(imageSlot_, centreX_, centreY_, angle, offset, offset, &drawBlend_);
    const double frameWidth = static_cast<double>(image_.width) / image_.frames;
    const IPlugRect cap{RoundHalfAway(centreX_ - frameWidth / 2), r.top,
                        RoundHalfAway(centreX_ + frameWidth / 2),
                        r.bottom - textOffset_ - textStyle_.size};
    return editor.DrawImageFrame(image_, cap, image_.frames, &Blend(), false);
}
