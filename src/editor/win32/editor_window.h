#pragma once

#include "base/win32/win32_api.h"
#include "editor/plug_editor.h"

#include <memory>
#include <string>

// The editor on the Win32 user interface: a child window of the host's window, a
// repeating timer that drives redrawing, window messages turned into the editor's mouse
// and key dispatch, the off-screen bitmap copied to the window, in-place value entry,
// tooltips, dialogs and link opening.
class IEditorWindow : public IPlugEditor {
public:
    // The entry box's state, advanced by the redraw timer.
    enum EntryState { kEntryIdle = 0, kEntryTyping = 1, kEntryCancel = 2, kEntryCommit = 3 };

    static constexpr const char* kClassName = "IPlugWndClass";
    static constexpr UINT_PTR kTimerId = 2;
    static constexpr int kEntryId = 99;

    IEditorWindow(IPlugBase* plug, int width, int height, int framesPerSecond);
    ~IEditorWindow() override;

    bool CopyToScreen(const IPlugRect& rect) override;
    void Resize(int width, int height) override;
    void PromptText(ITextControl* control) override;
    void PromptParameter(IControl* control, IPlugParam* param) override;
    bool HostFolder(std::string& out) override;
    bool PluginFolder(std::string& out) override;
    bool AskForFile(std::string& path, bool save, const char* folder,
                    const char* extensions) override;
    bool AskForColour(IPlugColor& colour, const char* title) override;
    bool OpenLink(const char* url, const char* title, const char* confirmText,
                  const char* errorText) override;
    int HostWheel(float notches) override;
    void SetEndEditCountdown(int ticks) override { endEditCountdown_ = ticks; }
    void ClearEndEditCountdown() override { endEditCountdown_ = 0; }
    bool CanOpenWindow() const override { return true; }
    void* OpenEditorWindow(void* parent) override;
    void CloseEditorWindow() override;
    void* EditorWindowHandle() const override { return window_; }
    void ApplyTooltipSwitch() override;
    std::unique_ptr<PixelBitmap> LoadImageResource(int id, const char* name,
                                                   DisplayScale scale) override;

    void SetModule(HINSTANCE module) { module_ = module; }
    HINSTANCE Module() const { return module_; }
    HWND Window() const { return window_; }
    HWND EntryBox() const { return entryBox_; }
    int EntryStateValue() const { return entryState_; }
    int EndEditCountdown() const { return endEditCountdown_; }

    // Editor windows open in this process; the window class is registered while any is.
    static int OpenWindowCount();

protected:
    std::unique_ptr<PixelBitmap> CreateBitmap(int width, int height) override;
    // The window's density, or before one exists the system's.
    DisplayScale DetectScale() override;
    void ScaleChanged() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EntryProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);
    static IEditorWindow* FromWindow(HWND hwnd);

    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleEntryMessage(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);
    void Tick();
    void AdvanceEntry();
    void CloseEntry();
    void ForgetEntry();
    void InstallEntryBox(HWND box, HFONT font, IControl* control, IPlugParam* param);
    void CreateTooltips();
    void TakeDownTooltip();
    void TrackMouse(HWND hwnd);
    void FillMouseKeys(WPARAM keyState, MouseKeys& mod) const;

    // The redraw timer's rate: that of the editor whose window is being made.
    static inline int timerFramesPerSecond_ = 24;

    HINSTANCE module_ = nullptr;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND entryBox_ = nullptr;
    IControl* entryControl_ = nullptr;
    IPlugParam* entryParam_ = nullptr;
    WNDPROC entryPreviousProc_ = nullptr;
    int entryState_ = kEntryIdle;
    bool tooltipShown_ = false;
    int tooltipIndex_ = -1;
    int endEditCountdown_ = 0;
    std::unique_ptr<COLORREF[]> customColours_;
    // The entry box's font, released with the box.
    HFONT entryFont_ = nullptr;
    // Tooltips could not be made: the editor goes on without them.
    bool tooltipsFailed_ = false;
};
