#pragma once

#include "bitmap/text/plug_text.h"
#include "controls/control.h"

// A fader: a handle image along a track. A press jumps the handle's centre to the pointer;
// a drag follows it while it stays in the track. The value text sits at the bottom.
class ISliderImg : public IControl {
public:
    ISliderImg(IPlugBase* plug, int paramIndex, const IPlugRect& rect, const IPlugImage& handle,
               const IPlugText& textStyle, int trackLength, bool horizontal);
    void MouseDown(int x, int y, const MouseKeys& mod) override;
    void MouseDrag(int x, int y, int dX, int dY, const MouseKeys& mod) override;
    bool Draw(IPlugEditor& editor) override;

    const IPlugRect& Track() const { return track_; }
    int Travel() const { return travel_; }

protected:
    const IPlugImage& Handle() const { return handle_; }
    bool Vertical() const { return vertical_; }

private:
    void Jump(int x, int y);

    IPlugText textStyle_;
    IPlugRect track_;
    IPlugImage handle_;
    int trackLength_;
    int travel_;
    bool vertical_;
};

// A fader with a thin level bar from the handle's centre to the end of the track.
class ISlider : public ISliderImg {
public:
    ISlider(IPlugBase* plug, int paramIndex, const IPlugRect& rect, const IPlugImage& handle,
            const IPlugText& textStyle, int trackLength, bool horizontal,
            const IPlugColor& barColour, int barWidth, int barEndInset);
    bool Draw(IPlugEditor& editor) override;

private:
    IPlugColor barColour_;
    int barWidth_;
    int barEndInset_;
};
