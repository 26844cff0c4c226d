#pragma once

#include "base/geometry.h"
#include "editor/display_scale.h"

#include <string>
#include <vector>

class IControl;
class IPlugParam;
class ITextControl;

// An entry box's type: 14-pixel Arial unless the entry asks for another (a text control's).
struct EntryFont {
    std::string face = "Arial";
    int size = 14;
    bool bold = false;
    bool italic = false;

    // The same type at a drawing scale: its pixel height scaled as the panel's lengths are.
    EntryFont Scaled(DisplayScale scale) const;
};

// What an in-place entry box shows and where: the same rules for every window layer, in panel
// units (a layer drawing at another scale takes them to device pixels as it does the
// controls).
struct EntryPlan {
    enum class Kind { TextField, ChoiceList };

    Kind kind = Kind::TextField;
    // A text field's box; for a choice list the closed box and its open list together, the
    // height a native list is given.
    IPlugRect area;
    // The field's text, or the value a choice list opens on.
    std::string text;
    std::vector<std::string> choices;
    // The last choice equal to the text, -1 when none is.
    int selected = -1;
    int align = 1; // IPlugText's: 0 left, 1 centre, 2 right
    bool readOnly = false;
    EntryFont font;

    // A right-click's entry for a control's parameter: a list of its value texts when it is
    // a choice, else a field holding its value centred on the control.
    static EntryPlan ForParameter(const IControl& control, const IPlugParam& param);
    // A field over a text control, in its style.
    static EntryPlan ForText(const ITextControl& control);

    // The area in device pixels at a drawing scale: the edges the control's own lie on.
    IPlugRect PixelArea(DisplayScale scale) const;
};

// box moved as little as puts it inside bounds; one larger than bounds keeps its top-left
// corner inside them. A popup box stays on the screen so.
IPlugRect KeepInside(const IPlugRect& box, const IPlugRect& bounds);
