#include "editor/drawn_choice_list.h"

#include <algorithm>
#include <cstring>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i])) return false;
    return true;
}

} // namespace

using namespace entry_look;

DrawnChoiceList::DrawnChoiceList(std::vector<std::string> choices, int selected, int width,
                                 int maxHeight, DisplayScale scale, EntryFont font)
    : choices_(std::move(choices)), scale_(scale), line_(scale.ToDevice(1)),
      header_(scale.ToDevice(kHeaderHeight)), row_(scale.ToDevice(kRowHeight)),
      font_(font.Scaled(scale)) {
    width_ = std::max(width, 2 * line_);
    const int n = Count();
    chosen_ = highlight_ = selected >= 0 && selected < n ? selected : -1;
    visible_ = n == 0 ? 0 : std::clamp((maxHeight - header_) / row_, 1, n);
    if (highlight_ >= visible_) top_ = std::min(highlight_, n - visible_);
    Render();
}

std::string DrawnChoiceList::Text() const {
    return chosen_ >= 0 ? choices_[chosen_] : std::string();
}

int DrawnChoiceList::RowAt(int x, int y) const {
    if (x < 0 || x >= width_ || y < header_ || y >= Height()) return -1;
    const int row = top_ + (y - header_) / row_;
    return row < Count() ? row : -1;
}

bool DrawnChoiceList::MoveHighlight(int to) {
    const int n = Count();
    if (n == 0) return false;
    to = std::clamp(to, 0, n - 1);
    if (to == highlight_) return false;
    highlight_ = to;
    // Scrolled just enough to show it.
    if (highlight_ < top_) top_ = highlight_;
    if (highlight_ >= top_ + visible_) top_ = highlight_ - visible_ + 1;
    Render();
    return true;
}

int DrawnChoiceList::Find(const std::string& prefix, int from) const {
    const int n = Count();
    for (int k = 0; k < n; ++k) {
        const int i = ((from + k) % n + n) % n;
        if (StartsWith(choices_[i], prefix)) return i;
    }
    return -1;
}

void DrawnChoiceList::TypeAhead(const char* typed, std::uint32_t timeMs) {
    if (!typed || static_cast<unsigned char>(typed[0]) < 0x20 || typed[0] == 0x7F) return;
    if (timeMs - lastTyped_ > kTypeAheadMs) prefix_.clear();
    lastTyped_ = timeMs;
    const bool fresh = prefix_.empty();
    prefix_ += typed;
    // A first letter looks from the row after the highlight, so pressing it again moves on
    // through the values it begins; a longer prefix may stay where it is.
    int match = Find(prefix_, fresh ? highlight_ + 1 : highlight_);
    if (match < 0 &&
        std::all_of(prefix_.begin(), prefix_.end(), [&](char c) { return c == prefix_.front(); }))
        match = Find(prefix_.substr(0, std::strlen(typed)), highlight_ + 1);
    if (match >= 0) MoveHighlight(match);
}

EntryAction DrawnChoiceList::Key(EntryKey key, const char* typed, std::uint32_t timeMs) {
    const int page = std::max(1, visible_ - 1);
    const int at = highlight_;
    switch (key) {
    case EntryKey::Enter:
        if (highlight_ >= 0) chosen_ = highlight_;
        Render();
        return EntryAction::Commit;
    case EntryKey::Escape:
        return EntryAction::Cancel;
    case EntryKey::Up:
        MoveHighlight(at < 0 ? 0 : at - 1);
        break;
    case EntryKey::Down:
        MoveHighlight(at < 0 ? 0 : at + 1);
        break;
    case EntryKey::PageUp:
        MoveHighlight(at < 0 ? 0 : at - page);
        break;
    case EntryKey::PageDown:
        MoveHighlight(at < 0 ? 0 : at + page);
        break;
    case EntryKey::Home:
        MoveHighlight(0);
        break;
    case EntryKey::End:
        MoveHighlight(Count() - 1);
        break;
    default:
        TypeAhead(typed, timeMs);
        break;
    }
    return EntryAction::Typing;
}

EntryAction DrawnChoiceList::Press(int x, int y) {
    const int row = RowAt(x, y);
    if (row < 0) return EntryAction::None;
    chosen_ = highlight_ = row;
    Render();
    return EntryAction::Commit;
}

bool DrawnChoiceList::Hover(int x, int y) {
    const int row = RowAt(x, y);
    if (row < 0 || row == highlight_) return false;
    highlight_ = row;
    Render();
    return true;
}

bool DrawnChoiceList::Wheel(int notches) {
    const int top = std::clamp(top_ - notches * kWheelRows, 0, Count() - visible_);
    if (top == top_) return false;
    top_ = top;
    Render();
    return true;
}

void DrawnChoiceList::Render() {
    const int w = width_, h = Height(), b = line_;
    const auto at = [this](int panelLength) { return scale_.ToDevice(panelLength); };
    face_->Resize(w, h);
    Fill(*face_, {0, 0, w, h}, kBorder);
    Fill(*face_, {b, b, w - b, header_ - b}, kHeader);
    if (chosen_ >= 0)
        Write(*face_, font_, choices_[chosen_], {at(4), b, w - at(4), header_ - b}, kText);
    for (int v = 0; v < visible_; ++v) {
        const int i = top_ + v;
        const IPlugRect row{b, header_ + v * row_, w - b,
                            header_ + (v + 1) * row_ - (v + 1 == visible_ ? b : 0)};
        const bool lit = i == highlight_;
        Fill(*face_, row, lit ? kSelection : kField);
        Write(*face_, font_, choices_[i],
              {row.left + at(3), row.top, row.right - at(3), row.bottom},
              lit ? kSelectedText : kText);
    }
    const int n = Count();
    if (visible_ < n) {
        // Where the rows shown lie among all of them.
        const int track = h - b - header_;
        const int thumb = std::max(at(4), track * visible_ / n);
        const int y = header_ + (track - thumb) * top_ / (n - visible_);
        Fill(*face_, {w - b - at(3), y, w - b, y + thumb}, kScrollThumb);
    }
}
