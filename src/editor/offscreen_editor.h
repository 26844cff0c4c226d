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

    bool CopyToScreen(const IPlugRect& rect) override;
    bool HostFolder(std::string&) override { return false; }
    bool PluginFolder(std::string&) override { return false; }
    bool AskForFile(std::string&, bool, const char*, const char*) override { return false; }
    bool AskForColour(IPlugColor&, const char*) override { return false; }
    bool OpenLink(const char* url, const char* title, const char* confirmText,
                  const char* errorText) override;
    bool CanOpenWindow() const override { return false; }
    void* OpenEditorWindow(void*) override { return nullptr; }
    void CloseEditorWindow() override;
    void* EditorWindowHandle() const override { return nullptr; }

    int ScreenCopies() const { return screenCopies_; }
    const IPlugRect& LastCopied() const { return lastCopied_; }

private:
    int screenCopies_ = 0;
    IPlugRect lastCopied_;
};
