#pragma once

#include "bitmap/text/plug_text.h"
#include "controls/control.h"

// Drag handling for knobs: a full-rectangle drag moves 1 / gearing of the range.
class IKnobControl : public IControl {
public:
    IKnobControl(IPlugBase* plug, const IPlugRect& rect, int paramIndex, int direction,
                 double gearing);
    void MouseDrag(int x, int y, int dX, int dY, const MouseKeys& mod) override;

private:
    int direction_;
    double gearing_;
};

// A knob image rotated about a fixed centre by the value, with the parameter's value
// text underneath.
class IKnobRotVal : public IKnobControl {
public:
    IKnobRotVal(IPlugBase* plug, int paramIndex, int centreX, int centreY, const IPlugImage& image,
                const IPlugText& textStyle, int textOffset, int rotationRange, double gearing,
                int textWidth, int direction, float weight, bool showLabel);
    bool Draw(IPlugEditor& editor) override;

private:
    IPlugText textStyle_;
    IPlugImage image_;
    int centreX_, centreY_;
    int textOffset_;
    int rotationRange_;
    float weight_;
    bool showLabel_;
    IPlugBlend drawBlend_;
};
