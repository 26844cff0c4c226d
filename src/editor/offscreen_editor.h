#pragma once

#include "editor/plug_editor.h"

// An editor with no window: it draws into its off-screen bitmap, dispatches input and
// counts timer ticks exactly like a windowed one, but copies to no screen, and its
// prompts and dialogs answer as a window system that cannot show them would. Used where
// there is no window layer, and by tools and tests that drive the editor directly.
class OffscreenEditor : public IPlugEditor {
public:
    using IPlugEditor::IPlugEditor;
    ~OffscreenEditor() override;

    // What a window's redraw timer does on each tick.
    void Tick();
    // Draws everything once, as a freshly opened window would on its first tick.
    void DrawAll();

    bool CopyToScreen(const IPlugRect& rect) override;
    void PromptText(ITextControl*) override {}
    void PromptParameter(IControl*, IPlugParam*) override {}
    bool HostFolder(std::string&) override { return false; }
    bool PluginFolder(std::string&) override { return false; }
    bool AskForFile(std::string&, bool, const char*, const char*) override { return false; }
    bool AskForColour(IPlugColor&, const char*) override { return false; }
    bool OpenLink(const char* url, const char* title, const char* confirmText,
                  const char* errorText) override;
    void SetEndEditCountdown(int ticks) override { countdown_ = ticks; }
    void ClearEndEditCountdown() override { countdown_ = 0; }
    bool CanOpenWindow() const override { return false; }
    void* OpenEditorWindow(void*) override { return nullptr; }
    void CloseEditorWindow() override;
    void* EditorWindowHandle() const override { return nullptr; }
    std::unique_ptr<PixelBitmap> LoadImageResource(int id, const char* name,
                                                   DisplayScale scale) override;

    int EndEditCountdown() const { return countdown_; }
    int ScreenCopies() const { return screenCopies_; }
    const IPlugRect& LastCopied() const { return lastCopied_; }

private:
    int countdown_ = 0;
    int screenCopies_ = 0;
    IPlugRect lastCopied_;
};
