#include "editor/drawn_text_field.h"

#include <cstdlib>

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

using namespace entry_look;

DrawnTextField::DrawnTextField(const IPlugRect& area, const std::string& text, int align,
                               EntryFont font, bool readOnly, DisplayScale scale)
    : area_(area), text_(text.substr(0, EntrySession::kMaxText)),
      caret_(static_cast<int>(text_.size())), align_(align), font_(font.Scaled(scale)),
      readOnly_(readOnly), line_(scale.ToDevice(1)), inset_(scale.ToDevice(2)) {
    Render();
}

void DrawnTextField::DeleteSelection() {
    if (!allSelected_) return;
    text_.clear();
    caret_ = 0;
    allSelected_ = false;
}

EntryAction DrawnTextField::Key(EntryKey key, const char* typed) {
    if (key == EntryKey::Enter) {
        // The caret goes to the end and the selection away, as a committed field shows.
        caret_ = static_cast<int>(text_.size());
        allSelected_ = false;
        Render();
        return EntryAction::Commit;
    }
    if (key == EntryKey::Escape) return EntryAction::Cancel;

    const int size = static_cast<int>(text_.size());
    const bool editing = !readOnly_;
    switch (key) {
    case EntryKey::Backspace:
        if (!editing) break;
        if (allSelected_) {
            DeleteSelection();
        } else if (caret_ > 0) {
            int from = caret_ - 1;
            while (from > 0 && IsContinuation(text_[from]))
                --from;
            text_.erase(from, caret_ - from);
            caret_ = from;
        }
        break;
    case EntryKey::Delete:
        if (!editing) break;
        if (allSelected_) {
            DeleteSelection();
        } else if (caret_ < size) {
            int to = caret_ + 1;
            while (to < size && IsContinuation(text_[to]))
                ++to;
            text_.erase(caret_, to - caret_);
        }
        break;
    case EntryKey::Left:
        if (allSelected_)
            caret_ = 0;
        else if (caret_ > 0)
            do
                --caret_;
            while (caret_ > 0 && IsContinuation(text_[caret_]));
        allSelected_ = false;
        break;
    case EntryKey::Right:
        if (!allSelected_ && caret_ < size) do
                ++caret_;
            while (caret_ < size && IsContinuation(text_[caret_]));
        allSelected_ = false;
        break;
    case EntryKey::Home:
        caret_ = 0;
        allSelected_ = false;
        break;
    case EntryKey::End:
        caret_ = size;
        allSelected_ = false;
        break;
    default:
        if (editing && typed && static_cast<unsigned char>(typed[0]) >= 0x20 && typed[0] != 0x7F) {
            DeleteSelection();
            const std::string add(typed);
            if (text_.size() + add.size() <= EntrySession::kMaxText) {
                text_.insert(caret_, add);
                caret_ += static_cast<int>(add.size());
            }
        }
        break;
    }
    Render();
    return EntryAction::Typing;
}

EntryAction DrawnTextField::Press(int x, int y) {
    if (!area_.Contains(x, y)) return EntryAction::None;
    caret_ = CaretAt(x);
    allSelected_ = false;
    Render();
    return EntryAction::Typing;
}

int DrawnTextField::TextLeft() const {
    const int spare = area_.W() - 2 * inset_ - TextWidth(font_, text_);
    if (align_ == 0) return area_.left + inset_;
    if (align_ == 2) return area_.left + inset_ + spare;
    return area_.left + inset_ + spare / 2;
}

int DrawnTextField::CaretAt(int x) const {
    // The character boundary nearest to x.
    const int left = TextLeft();
    int best = 0, bestDistance = std::abs(x - left);
    for (int i = 1; i <= static_cast<int>(text_.size()); ++i) {
        if (i < static_cast<int>(text_.size()) && IsContinuation(text_[i])) continue;
        const int d = std::abs(x - (left + TextWidth(font_, text_.substr(0, i))));
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

void DrawnTextField::Render() {
    face_->Resize(area_.W(), area_.H());
    const int w = area_.W(), h = area_.H();
    if (w <= 0 || h <= 0) return;
    const int b = line_;
    Fill(*face_, {0, 0, w, h}, kBorder);
    Fill(*face_, {b, b, w - b, h - b}, kField);
    const int left = TextLeft() - area_.left;
    const int width = TextWidth(font_, text_);
    const IPlugRect line{left, 0, left + width + b, h};
    if (allSelected_ && !text_.empty()) {
        Fill(*face_, {left, b, left + width, h - b}, kSelection);
        Write(*face_, font_, text_, line, kSelectedText);
    } else {
        Write(*face_, font_, text_, line, kText);
        const int caretX = left + TextWidth(font_, text_.substr(0, caret_));
        Fill(*face_, {caretX, inset_, caretX + b, h - inset_}, kText);
    }
}
