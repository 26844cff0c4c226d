#pragma once

#include "base/geometry.h"
#include "editor/editor_types.h"

class IPlugBase;
class IPlugEditor;
class IPlugParam;

// Base of every element of the editor: rectangles, the bound parameter, a normalised
// value and the flags that drive redrawing and hit testing. User changes go to the
// plug-in; changes from the plug-in only mark the control for redrawing.
class IControl {
public:
    IControl(IPlugBase* plug, const IPlugRect& drawRect, int paramIndex);
    virtual ~IControl() = default;
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    virtual void MouseDown(int x, int y, const MouseKeys& mod);
    virtual void MouseUp(int /*x*/, int /*y*/, const MouseKeys& /*mod*/) {}
    virtual void MouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, const MouseKeys& /*mod*/) {
    }
    virtual void MouseDoubleClick(int x, int y, const MouseKeys& mod);
    virtual void MouseWheel(int x, int y, const MouseKeys& mod, int notches);
    virtual void KeyDown(int /*x*/, int /*y*/, int /*key*/) {}
    virtual void MouseOver(int /*x*/, int /*y*/, const MouseKeys& /*mod*/) {}
    virtual void MouseOut() {}
    virtual bool Draw(IPlugEditor& editor) = 0;
    virtual void ApplyPlugValue(double normalized);
    virtual void ApplyUserValue(double normalized);
    virtual void Hide(bool hide);
    virtual void SetGrayed(bool grayed);
    virtual bool HitTest(int x, int y) const { return hitRect_.Contains(x, y); }
    virtual void MarkDirty(bool push);
    virtual void MarkDrawn() {
        dirty_ = redrawAgain_;
        redrawAgain_ = false;
    }
    virtual bool NeedsDraw() const { return dirty_; }

    // Right-click value entry, when the control has a parameter and prompts are allowed.
    void OpenValueEntry();
    // An in-place entry box over this control closed, committed or not.
    void EndTextEntry();

    int ParamIndex() const { return paramIndex_; }
    IPlugParam* Param() const;
    double Value() const { return value_; }
    void SetValue(double value) { value_ = value; }
    double DefaultValue() const { return defaultValue_; }
    const IPlugRect& DrawRect() const { return drawRect_; }
    const IPlugRect& HitRect() const { return hitRect_; }
    bool IsHidden() const { return hidden_; }
    bool IsGrayed() const { return grayed_; }
    bool IsDirty() const { return dirty_; }
    bool DoubleClickAsClick() const { return doubleClickAsClick_; }
    void SetNoPrompt(bool noPrompt) { noPrompt_ = noPrompt; }
    const IPlugBlend& Blend() const { return blend_; }
    void SetBlend(const IPlugBlend& blend) { blend_ = blend; }
    const char* Tooltip() const { return tooltip_; }
    void SetTooltip(const char* text) { tooltip_ = text; }
    void SetClamp(double lower, double upper) {
        lowerClamp_ = lower;
        upperClamp_ = upper;
    }

protected:
    IPlugBase* Plug() const { return plug_; }
    IPlugEditor* Editor() const;
    void SetRects(const IPlugRect& rect) { drawRect_ = hitRect_ = rect; }
    void RedrawAgain() { redrawAgain_ = true; }

    IPlugImage imageSlot_;

private:
    IPlugBase* plug_;
    IPlugRect drawRect_;
    IPlugRect hitRect_;
    int paramIndex_;
    double value_ = 0.0;
    double defaultValue_ = -1.0;
    double lowerClamp_ = 0.0;
    double upperClamp_ = 1.0;
    bool dirty_ = true;
    bool hidden_ = false;
    bool grayed_ = false;
    bool redrawAgain_ = false;
    bool noPrompt_ = false;
    bool doubleClickAsClick_ = false;
    IPlugBlend blend_{};
    const char* tooltip_ = nullptr;
};

// Draws one frame of an image, chosen by the value; the editor's background is one.
class IImageControl : public IControl {
public:
    IImageControl(IPlugBase* plug, const IPlugRect& rect, int paramIndex, const IPlugImage& image,
                  const IPlugBlend& blend, bool framesVertical);
    bool Draw(IPlugEditor& editor) override;

private:
    bool framesVertical_;
    IPlugImage image_;
};
