#include "editor/entry_plan.h"

#include "bitmap/text/plug_text.h"
#include "controls/control.h"
#include "controls/text_control.h"
#include "core/plug_param.h"

#include <algorithm>

namespace {

// A choice list is as wide as its longest text in 8-pixel characters, and as high as a
// 36-pixel row for the closed box and for each value; a field as wide as the text of the
// parameter's maximum in 7-pixel characters, 16 high.
constexpr int kListCharWidth = 8, kListPadding = 24, kListMinWidth = 24, kListRowHeight = 36;
constexpr int kFieldCharWidth = 7, kFieldPadding = 6, kFieldMinWidth = 32, kFieldHeight = 16;

} // namespace

EntryPlan EntryPlan::ForParameter(const IControl& control, const IPlugParam& param) {
    EntryPlan plan;
    const IPlugRect& r = control.DrawRect();
    const int cx = static_cast<int>((r.left + r.right) * 0.5f);
    const int cy = static_cast<int>((r.top + r.bottom) * 0.5f);
    plan.text = param.FormatValue(param.Value(), false);

    const int n = param.ValueTextCount();
    if (n > 0 && (param.Type() == ParamChoice || param.Type() == ParamIntegerReserved)) {
        plan.kind = Kind::ChoiceList;
        const int first = static_cast<int>(param.Min());
        std::size_t longest = 0;
        for (int i = 0; i < n; ++i) {
            const char* text = param.ValueText(first + i);
            plan.choices.emplace_back(text ? text : "");
            longest = std::max(longest, plan.choices.back().size());
            if (plan.text == plan.choices.back()) plan.selected = i;
        }
        const int width =
            std::max(kListMinWidth, kListCharWidth * static_cast<int>(longest) + kListPadding);
        const int left = cx - width / 2;
        plan.area = {left, cy, left + width, cy + kListRowHeight * (n + 1)};
    } else {
        const std::string maximum = param.FormatValue(1.0, true);
        const int width = std::max(
            kFieldMinWidth, kFieldCharWidth * static_cast<int>(maximum.size()) + kFieldPadding);
        const int left = cx - width / 2;
        plan.area = {left, cy - kFieldHeight / 2, left + width, cy + kFieldHeight / 2};
    }
    return plan;
}

EntryPlan EntryPlan::ForText(const ITextControl& control) {
    EntryPlan plan;
    const IPlugText& style = control.Style();
    plan.area = control.DrawRect();
    plan.text = control.Text() ? control.Text() : "";
    plan.align = style.align == TEXT_ALIGN_LEFT || style.align == TEXT_ALIGN_RIGHT
                     ? style.align
                     : TEXT_ALIGN_CENTER;
    plan.readOnly = !control.IsEditable();
    plan.font = {style.face, style.size, style.style == TEXT_STYLE_BOLD,
                 style.style == TEXT_STYLE_ITALIC};
    return plan;
}

EntryFont EntryFont::Scaled(DisplayScale scale) const {
    EntryFont font = *this;
    font.size = scale.ToDevice(size);
    return font;
}

IPlugRect EntryPlan::PixelArea(DisplayScale scale) const {
    return scale.ToDevice(area);
}

IPlugRect KeepInside(const IPlugRect& box, const IPlugRect& bounds) {
    const auto along = [](int start, int size, int low, int high) {
        return std::max(low, std::min(start, high - size));
    };
    const int left = along(box.left, box.W(), bounds.left, bounds.right);
    const int top = along(box.top, box.H(), bounds.top, bounds.bottom);
    return {left, top, left + box.W(), top + box.H()};
}
