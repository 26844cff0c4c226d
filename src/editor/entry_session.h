#pragma once

#include <memory>
#include <string>

class IControl;
class IPlugEditor;
class IPlugParam;

// The box a window layer shows for an entry: a native field or list, or one drawn by us.
// Destroying it takes it off the screen.
class EntryBox {
public:
    virtual ~EntryBox() = default;
    // Shows the box with the keyboard focus; called once the session holds it.
    virtual void Start() = 0;
    // What a commit applies: the field's text, or the chosen value's (empty: none).
    virtual std::string Text() const = 0;
};

// What a key or a press asks of the entry.
enum class EntryAction { None, Typing, Commit, Cancel };

// One in-place entry over a control, from the prompt to the redraw tick that applies or
// discards it. The window layer reports what happens to the box; the tick acts on it, so a
// value is applied between two redraws and never from inside an input handler.
class EntrySession {
public:
    enum State { kIdle = 0, kTyping = 1, kCancel = 2, kCommit = 3 };
    static constexpr std::size_t kMaxText = 999;

    EntrySession() = default;
    EntrySession(const EntrySession&) = delete;
    EntrySession& operator=(const EntrySession&) = delete;

    bool IsOpen() const { return box_ != nullptr; }
    void Open(std::unique_ptr<EntryBox> box, IControl* control, IPlugParam* param);

    // The box has the focus or took a key other than Enter.
    void Typing() { state_ = kTyping; }
    // The box lost the focus: that neither applies nor discards the entry.
    void Idle() { state_ = kIdle; }
    void Commit() { state_ = kCommit; }
    void Cancel() { state_ = kCancel; }
    void Take(EntryAction action);
    // A press in the editor outside the box while one is open: a left press commits the entry
    // and goes on to the controls, a right press cancels it and goes no further. Answers
    // whether the press goes on.
    bool PressInEditor(bool right);

    // The redraw tick: typing settles to idle; a cancel closes the box, a commit applies its
    // text through the editor and closes it.
    void Advance(IPlugEditor& editor);
    // The box goes with its window, unapplied.
    void Forget();

    EntryBox* Box() const { return box_.get(); }
    IControl* Control() const { return control_; }
    IPlugParam* Param() const { return param_; }
    int GetState() const { return state_; }

private:
    void Close();

    std::unique_ptr<EntryBox> box_;
    IControl* control_ = nullptr;
    IPlugParam* param_ = nullptr;
    int state_ = kIdle;
};
