#pragma once

#include "controls/control.h"
#include "core/grow_buffer.h"

// A two-state switch that shows its image only while on.
class IButton : public IControl {
public:
    IButton(IPlugBase* plug, int paramIndex, int x, int y, const IPlugImage& image);
    void MouseDown(int x, int y, const MouseKeys& mod) override;
    bool Draw(IPlugEditor& editor) override;

protected:
    void Toggle(const MouseKeys& mod);

private:
    IPlugImage image_;
};

// A switch that also raises a flag owned by the effect on every click.
class IButtonClick : public IButton {
public:
    IButtonClick(IPlugBase* plug, int paramIndex, int x, int y, const IPlugImage& image,
                 bool* clicked);
    void MouseDown(int x, int y, const MouseKeys& mod) override;

private:
    bool* clicked_;
};

// Mutually exclusive buttons bound to one parameter; the image pictures the whole group
// lit, and only the selected button's part of it is drawn.
class IRadioButtons : public IControl {
public:
    IRadioButtons(IPlugBase* plug, int paramIndex, int x, int y, const IPlugImage& image,
                  bool wholeGroupPicture, int direction, int size1, int size2, int size3);
    void MouseDown(int x, int y, const MouseKeys& mod) override;
    bool Draw(IPlugEditor& editor) override;

    int NButtons() const { return buttons_.Size() / static_cast<int>(sizeof(IPlugRect)); }
    IPlugRect Button(int index) const { return buttons_.As<IPlugRect>()[index]; }

private:
    GrowBuffer buttons_{4096};
    IPlugImage image_;
    bool vertical_;
};

// An invisible area that opens a web page, or a fallback page when the first fails.
class ILinkControl : public IControl {
public:
    ILinkControl(IPlugBase* plug, const IPlugRect& rect, const char* link, const char* fallback,
                 const char* windowTitle);
    void MouseDown(int x, int y, const MouseKeys& mod) override;
    bool Draw(IPlugEditor&) override { return true; }

private:
    char link_[256] = {};
    char fallback_[256] = {};
    char title_[1024] = {};
};
