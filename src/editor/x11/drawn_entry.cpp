#include "editor/x11/drawn_entry.h"

#include "bitmap/blit.h"
#include "bitmap/text/font_cache.h"
#include "bitmap/text/plug_text.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>

namespace {

constexpr std::uint32_t kFieldColour = 0xFFFFFFFF;
constexpr std::uint32_t kBorderColour = 0xFF404040;
constexpr std::uint32_t kTextColour = 0xFF000000;
constexpr std::uint32_t kSelectionColour = 0xFF3370CC;
constexpr std::uint32_t kSelectedTextColour = 0xFFFFFFFF;
constexpr std::uint32_t kHeaderColour = 0xFFE4E4E4;

// The entry boxes' type: 14-pixel Arial, as the Win32 layer gives its boxes.
IPlugText EntryStyle(std::uint32_t colour) {
    IPlugText style;
    style.SetFace("Arial");
    style.size = 14;
    style.colour = IPlugColor{static_cast<int>(colour >> 24), static_cast<int>(colour >> 16 & 255),
                              static_cast<int>(colour >> 8 & 255), static_cast<int>(colour & 255)};
    return style;
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void Fill(PixelBitmap& bitmap, const IPlugRect& r, std::uint32_t colour) {
    FillRectangle(&bitmap, r.left, r.top, r.W(), r.H(), colour, 1.0f, BLEND_COPY);
}

void Write(PixelBitmap& bitmap, const std::string& text, IPlugRect r, std::uint32_t colour,
           unsigned format) {
    if (text.empty()) return;
    IPlugText style = EntryStyle(colour);
    GlyphFont* font = GetFont(style);
    if (!font) return;
    const auto lock = font->Lock();
    font->SetForeground(colour);
    font->DrawString(&bitmap, text.c_str(), static_cast<int>(text.size()), r,
                     format | TEXT_SINGLELINE | TEXT_VCENTER);
}

} // namespace

DrawnEntry::DrawnEntry(const IPlugRect& area, bool choice) : area_(area), choice_(choice) {}

DrawnEntry DrawnEntry::TextField(const IPlugRect& area, const std::string& text, int align) {
    DrawnEntry entry(area, false);
    entry.text_ = text.substr(0, kMaxText);
    entry.caret_ = static_cast<int>(entry.text_.size());
    entry.allSelected_ = true;
    entry.align_ = align;
    entry.Render();
    return entry;
}

DrawnEntry DrawnEntry::ChoiceList(const IPlugRect& allotted, std::vector<std::string> choices,
                                  int selected) {
    const int rows = static_cast<int>(choices.size());
    IPlugRect area{allotted.left, allotted.top, allotted.right,
                   allotted.top + kHeaderHeight + kRowHeight * rows};
    area.bottom = std::min(area.bottom, allotted.bottom);
    DrawnEntry entry(area, true);
    entry.choices_ = std::move(choices);
    entry.selected_ = selected >= 0 && selected < rows ? selected : -1;
    entry.Render();
    return entry;
}

std::string DrawnEntry::Text() const {
    if (!choice_) return text_;
    return selected_ >= 0 ? choices_[selected_] : std::string();
}

void DrawnEntry::DeleteSelection() {
    if (!allSelected_) return;
    text_.clear();
    caret_ = 0;
    allSelected_ = false;
}

DrawnEntry::Action DrawnEntry::Key(std::uint32_t sym, const char* typed) {
    if (sym == XKB_KEY_Return || sym == XKB_KEY_KP_Enter) {
        // The caret goes to the end and the selection away, as a committed field shows.
        caret_ = static_cast<int>(text_.size());
        allSelected_ = false;
        Render();
        return Action::Commit;
    }
    if (sym == XKB_KEY_Escape) return Action::Cancel;

    if (choice_) {
        const int n = static_cast<int>(choices_.size());
        int next = selected_;
        if (sym == XKB_KEY_Up || sym == XKB_KEY_KP_Up) next = std::max(0, selected_ - 1);
        if (sym == XKB_KEY_Down || sym == XKB_KEY_KP_Down) next = std::min(n - 1, selected_ + 1);
        if (next != selected_ && n > 0) {
            selected_ = next;
            Render();
            return Action::Commit; // a changed selection is a pick, as in a native list
        }
        return Action::Typing;
    }

    const int size = static_cast<int>(text_.size());
    if (sym == XKB_KEY_BackSpace) {
        if (allSelected_) {
            DeleteSelection();
        } else if (caret_ > 0) {
            int from = caret_ - 1;
            while (from > 0 && IsContinuation(text_[from]))
                --from;
            text_.erase(from, caret_ - from);
            caret_ = from;
        }
    } else if (sym == XKB_KEY_Delete || sym == XKB_KEY_KP_Delete) {
        if (allSelected_) {
            DeleteSelection();
        } else if (caret_ < size) {
            int to = caret_ + 1;
            while (to < size && IsContinuation(text_[to]))
                ++to;
            text_.erase(caret_, to - caret_);
        }
    } else if (sym == XKB_KEY_Left || sym == XKB_KEY_KP_Left) {
        if (allSelected_)
            caret_ = 0;
        else if (caret_ > 0)
            do
                --caret_;
            while (caret_ > 0 && IsContinuation(text_[caret_]));
        allSelected_ = false;
    } else if (sym == XKB_KEY_Right || sym == XKB_KEY_KP_Right) {
        if (!allSelected_ && caret_ < size) do
                ++caret_;
            while (caret_ < size && IsContinuation(text_[caret_]));
        allSelected_ = false;
    } else if (sym == XKB_KEY_Home || sym == XKB_KEY_KP_Home) {
        caret_ = 0;
        allSelected_ = false;
    } else if (sym == XKB_KEY_End || sym == XKB_KEY_KP_End) {
        caret_ = size;
        allSelected_ = false;
    } else if (typed && static_cast<unsigned char>(typed[0]) >= 0x20 && typed[0] != 0x7F) {
        DeleteSelection();
        const std::string add(typed);
        if (text_.size() + add.size() <= static_cast<std::size_t>(kMaxText)) {
            text_.insert(caret_, add);
            caret_ += static_cast<int>(add.size());
        }
    }
    Render();
    return Action::Typing;
}

DrawnEntry::Action DrawnEntry::Press(int x, int y) {
    if (!area_.Contains(x, y)) return Action::None;
    if (choice_) {
        const int row = (y - area_.top - kHeaderHeight);
        if (row < 0) return Action::None;
        const int index = row / kRowHeight;
        if (index >= static_cast<int>(choices_.size())) return Action::None;
        selected_ = index;
        Render();
        return Action::Commit;
    }
    caret_ = CaretAt(x);
    allSelected_ = false;
    Render();
    return Action::Typing;
}

int DrawnEntry::TextWidth(const std::string& text) const {
    if (text.empty()) return 0;
    IPlugText style = EntryStyle(kTextColour);
    GlyphFont* font = GetFont(style);
    if (!font) return 0;
    const auto lock = font->Lock();
    IPlugRect r{0, 0, 0, 0};
    font->DrawString(nullptr, text.c_str(), static_cast<int>(text.size()), r,
                     TEXT_CALCRECT | TEXT_SINGLELINE);
    return r.right - r.left;
}

int DrawnEntry::TextLeft() const {
    const int spare = area_.W() - 4 - TextWidth(text_);
    if (align_ == 0) return area_.left + 2;
    if (align_ == 2) return area_.left + 2 + spare;
    return area_.left + 2 + spare / 2;
}

int DrawnEntry::CaretAt(int x) const {
    // The character boundary nearest to x.
    const int left = TextLeft();
    int best = 0, bestDistance = std::abs(x - left);
    for (int i = 1; i <= static_cast<int>(text_.size()); ++i) {
        if (i < static_cast<int>(text_.size()) && IsContinuation(text_[i])) continue;
        const int d = std::abs(x - (left + TextWidth(text_.substr(0, i))));
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

void DrawnEntry::Render() {
    face_->Resize(area_.W(), area_.H());
    const int w = area_.W(), h = area_.H();
    if (w <= 0 || h <= 0) return;
    Fill(*face_, {0, 0, w, h}, kBorderColour);
    if (choice_) {
        Fill(*face_, {1, 1, w - 1, kHeaderHeight - 1}, kHeaderColour);
        if (selected_ >= 0)
            Write(*face_, choices_[selected_], {4, 1, w - 4, kHeaderHeight - 1}, kTextColour, 0);
        for (int i = 0; i < static_cast<int>(choices_.size()); ++i) {
            const IPlugRect row{1, kHeaderHeight + i * kRowHeight, w - 1,
                                kHeaderHeight + (i + 1) * kRowHeight -
                                    (i + 1 == static_cast<int>(choices_.size()) ? 1 : 0)};
            const bool picked = i == selected_;
            Fill(*face_, row, picked ? kSelectionColour : kFieldColour);
            Write(*face_, choices_[i], {row.left + 3, row.top, row.right - 3, row.bottom},
                  picked ? kSelectedTextColour : kTextColour, 0);
        }
        return;
    }
    Fill(*face_, {1, 1, w - 1, h - 1}, kFieldColour);
    const int left = TextLeft() - area_.left;
    const int width = TextWidth(text_);
    if (allSelected_ && !text_.empty()) {
        Fill(*face_, {left, 1, left + width, h - 1}, kSelectionColour);
        Write(*face_, text_, {left, 0, left + width + 1, h}, kSelectedTextColour, 0);
    } else {
        Write(*face_, text_, {left, 0, left + width + 1, h}, kTextColour, 0);
        const int caretX = left + TextWidth(text_.substr(0, caret_));
        Fill(*face_, {caretX, 2, caretX + 1, h - 2}, kTextColour);
    }
}
