#include "editor/entry_session.h"

#include "controls/control.h"
#include "editor/plug_editor.h"

#include <utility>

void EntrySession::Open(std::unique_ptr<EntryBox> box, IControl* control, IPlugParam* param) {
    if (!box) return;
    box_ = std::move(box);
    control_ = control;
    param_ = param;
    state_ = kIdle;
    box_->Start();
}

void EntrySession::Take(EntryAction action) {
    switch (action) {
    case EntryAction::Typing:
        Typing();
        break;
    case EntryAction::Commit:
        Commit();
        break;
    case EntryAction::Cancel:
        Cancel();
        break;
    case EntryAction::None:
        break;
    }
}

bool EntrySession::PressInEditor(bool right) {
    if (!box_) return true;
    if (right) {
        Cancel();
        return false;
    }
    Commit();
    return true;
}

void EntrySession::Advance(IPlugEditor& editor) {
    if (!box_) return;
    switch (state_) {
    case kTyping:
        state_ = kIdle;
        break;
    case kCancel:
        Close();
        break;
    case kCommit: {
        std::string text = box_->Text();
        if (text.size() > kMaxText) text.resize(kMaxText);
        editor.ApplyTypedText(control_, param_, text.c_str());
        Close();
        break;
    }
    default:
        break;
    }
}

void EntrySession::Close() {
    if (control_) control_->EndTextEntry();
    Forget();
}

void EntrySession::Forget() {
    // Taken from the session before it goes, so nothing it says while going reaches it.
    std::unique_ptr<EntryBox> box = std::move(box_);
    control_ = nullptr;
    param_ = nullptr;
    state_ = kIdle;
    box.reset();
}
