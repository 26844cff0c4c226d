#include "controls/control.h"

#include "core/plug_base.h"
#include "editor/plug_editor.h"

#include <algorithm>
#include <cmath>

IControl::IControl(IPlugBase* plug, const IPlugRect& drawRect, int paramIndex)
    : plug_(plug), drawRect_(drawRect), hitRect_(drawRect), paramIndex_(paramIndex) {}

IPlugParam* IControl::Param() const {
    return plug_ ? plug_->GetParam(paramIndex_) : nullptr;
}

IPlugEditor* IControl::Editor() const {
    return EditorOf(plug_);
}

void IControl::MouseDown(int, int, const MouseKeys& mod) {
    if (mod.right) OpenValueEntry();
}

void IControl::MouseDoubleClick(int, int, const MouseKeys&) {
    if (defaultValue_ >= 0.0) {
        value_ = defaultValue_;
        MarkDirty(true);
    }
}

void IControl::MouseWheel(int, int, const MouseKeys& mod, int notches) {
    value_ += notches * ((mod.control || mod.shift) ? 0.001 : 0.01);
    MarkDirty(true);
}

void IControl::ApplyPlugValue(double normalized) {
    if (defaultValue_ < 0.0)
        defaultValue_ = normalized; // the first value from the plug-in is the double-click reset
    else if (normalized == value_)
        return;
    value_ = normalized;
    MarkDirty(false);
    redrawAgain_ = true;
}

void IControl::ApplyUserValue(double normalized) {
    if (normalized != value_) value_ = normalized;
    MarkDirty(true);
    redrawAgain_ = true;
}

void IControl::Hide(bool hide) {
    hidden_ = hide;
    redrawAgain_ = true;
    MarkDirty(false);
}

void IControl::SetGrayed(bool grayed) {
    grayed_ = grayed;
    blend_.weight = grayed ? 0.25f : 1.0f;
    MarkDirty(false);
}

void IControl::MarkDirty(bool push) {
    if (!(value_ >= lowerClamp_))
        value_ = lowerClamp_;
    else if (value_ > upperClamp_)
        value_ = upperClamp_;
    dirty_ = true;
    if (push && plug_ && paramIndex_ >= 0) plug_->SetParameterFromEditor(paramIndex_, value_);
}

void IControl::OpenValueEntry() {
    IPlugParam* param = Param();
    IPlugEditor* editor = Editor();
    if (paramIndex_ < 0 || noPrompt_ || !param || !editor) return;
    editor->PromptParameter(this, param);
    redrawAgain_ = true;
}

void IControl::EndTextEntry() {
    MarkDirty(true);
    redrawAgain_ = true;
}

IImageControl::IImageControl(IPlugBase* plug, const IPlugRect& rect, int paramIndex,
                             const IPlugImage& image, const IPlugBlend& blend, bool framesVertical)
    : IControl(plug, rect, paramIndex), framesVertical_(framesVertical), image_(image) {
    SetBlend(blend);
}

bool IImageControl::Draw(IPlugEditor& editor) {
    const int n = image_.frames;
    int frame = 1;
    if (n >= 2) frame = std::clamp(static_cast<int>(std::floor((n - 1) * Value() + 0.5)) + 1, 1, n);
    return editor.DrawImageFrame(image_, DrawRect(), frame, &Blend(), framesVertical_);
}
