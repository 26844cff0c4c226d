#include "core/win32/module_handle.h"
#include "editor/platform_editor.h"
#include "editor/win32/editor_window.h"

IPlugEditor* CreatePlatformEditor(IPlugBase* plug, int width, int height, int framesPerSecond) {
    auto* editor = new IEditorWindow(plug, width, height, framesPerSecond);
    editor->SetModule(ModuleHandle());
    return editor;
}
