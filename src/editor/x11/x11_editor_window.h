#pragma once

#include "editor/plug_editor.h"
#include "editor/x11/x11_keys.h"
#include "editor/x11/x11_surface.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <xcb/xcb.h>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
class X11EntryBox;

// The editor on X11: off-screen (tools and tests drive it so) until a host opens it; then a
// child of the host's window on an XCB connection of the editor's own, redrawn by a tick at
// the editor's frame rate, with X input turned into the editor's mouse and key dispatch as
// the Win32 layer turns window messages, entry boxes drawn by us (a field over the picture,
// a choice list in a popup window), and the off-screen bitmap copied to the window (through
// shared memory when the server offers it).
//
// Threads: the host's effEditIdle (under the plug-in lock) handles events and runs a due
// tick; a thread of our own does the same for a tick that idle left undone, so hosts that
// never idle still get a live editor. Both hold the plug-in lock and then the editor lock;
// the thread only ever tries the two locks and backs off, so a host thread holding the
// plug-in lock while closing the editor can always stop and join it.
class X11EditorWindow : public IPlugEditor {
public:
    X11EditorWindow(IPlugBase* plug, int width, int height, int framesPerSecond);
    ~X11EditorWindow() override;

    bool CopyToScreen(const IPlugRect& rect) override;
    void Resize(int width, int height) override;
    bool HostFolder(std::string& out) override;
    bool PluginFolder(std::string& out) override;
    bool AskForFile(std::string& path, bool save, const char* folder,
                    const char* extensions) override;
    bool AskForColour(IPlugColor& colour, const char* title) override;
    bool OpenLink(const char* url, const char* title, const char* confirmText,
                  const char* errorText) override;
    int HostWheel(float notches) override;
    bool CanOpenWindow() const override { return true; }
    void* OpenEditorWindow(void* parent) override;
    void CloseEditorWindow() override;
    void* EditorWindowHandle() const override;
    void Idle() override;

    std::uint32_t Window() const { return window_; }
    bool UsesSharedMemory() const { return surface_ && surface_->Shared(); }
    // Plain image uploads even where shared memory would do (benchmarks compare the two);
    // for windows opened after the call.
    void AllowSharedMemory(bool allow) { allowShared_ = allow; }
    // Handles waiting events and runs the tick now, due or not (benchmarks).
    void ServiceNow();

protected:
    std::unique_ptr<EntryBox> OpenEntryBox(const EntryPlan& plan) override;
    DisplayScale DetectScale() override;
    void ScaleChanged() override;

private:
    friend class X11TextFieldBox;
    friend class X11ChoicePopup;
    using Clock = std::chrono::steady_clock;

    bool Connect();
    void Disconnect();
    bool CreateWindow(std::uint32_t parent, int x, int y, int w, int h);
    void SetSizeHints(int w, int h);
    void Service(bool forceTick);
    void HandleEvent(const xcb_generic_event_t* event);
    bool HandleEntryEvent(const xcb_generic_event_t* event);
    void Repaint(const IPlugRect& rect);
    bool Live() const { return connection_ && window_ && !windowGone_; }
    X11EntryBox* OpenBox() const;
    void TakeFocus();
    void GiveBackFocus();
    void StartTimer();
    void StopTimer();
    void TimerLoop();
    std::uint32_t Atom(const char* name);
    bool RunDialog(const std::vector<std::string>& args, std::string& output);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t window_ = 0;
    std::uint32_t parent_ = 0;
    std::uint32_t colormap_ = 0;
    std::uint32_t gc_ = 0;
    std::uint32_t root_ = 0;
    std::uint32_t visual_ = 0;
    // The window went away under us (its parent was destroyed): nothing more to draw.
    bool windowGone_ = false;
    bool allowShared_ = true;
    std::uint8_t depth_ = 0;
    bool swapBytes_ = false;
    std::unique_ptr<X11Surface> surface_;
    xkb_context* xkbContext_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyState_ = nullptr;

    ClickCounter clicks_;
    bool captured_ = false;
    bool tracking_ = false;
    // The press went to the open box, and so does its release.
    bool pressInEntry_ = false;
    // Inside the host's idle call, on its thread.
    bool inIdle_ = false;
    std::uint32_t focusBefore_ = 0;

    // Editor work: held by whichever of idle and the timer thread runs it.
    std::mutex editorMutex_;
    Clock::duration period_;
    std::atomic<Clock::time_point::rep> nextTick_{0};
    std::thread timer_;
    std::mutex timerMutex_;
    std::condition_variable timerWake_;
    bool stopTimer_ = false;
};
