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
    static constexpr const char* kClassName = "IPlugWndClass";
    static constexpr UINT_PTR kTimerId = 2;

    IEditorWindow(IPlugBase* plug, int width, int height, int framesPerSecond);
    ~IEditorWindow() override;

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
    void* EditorWindowHandle() const override { return window_; }
    void ApplyTooltipSwitch() override;
    std::unique_ptr<PixelBitmap> LoadImageResource(int id, const char* name,
                                                   DisplayScale scale) override;

    void SetModule(HINSTANCE module) { module_ = module; }
    HINSTANCE Module() const { return module_; }
    HWND Window() const { return window_; }
    // The open entry box, or none.
    HWND EntryWindow() const;

    // Editor windows open in this process; the window class is registered while any is.
    static int OpenWindowCount();

protected:
    std::unique_ptr<PixelBitmap> CreateBitmap(int width, int height) override;
    std::unique_ptr<EntryBox> OpenEntryBox(const EntryPlan& plan) override;
    void RedrawDirty(const IPlugRect& area) override;
    // The window's density, or before one exists the system's.
    DisplayScale DetectScale() override;
    void ScaleChanged() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EntryProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);
    static IEditorWindow* FromWindow(HWND hwnd);

    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleEntryMessage(HWND box, WNDPROC previous, UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateTooltips();
    void TakeDownTooltip();
    void TrackMouse(HWND hwnd);
    void FillMouseKeys(WPARAM keyState, MouseKeys& mod) const;

    // The redraw timer's rate: that of the editor whose window is being made.
    static inline int timerFramesPerSecond_ = 24;

    HINSTANCE module_ = nullptr;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    bool tooltipShown_ = false;
    int tooltipIndex_ = -1;
    std::unique_ptr<COLORREF[]> customColours_;
    // Tooltips could not be made: the editor goes on without them.
    bool tooltipsFailed_ = false;
};
