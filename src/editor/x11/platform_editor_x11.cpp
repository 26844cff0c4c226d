#include "editor/platform_editor.h"
#include "editor/x11/x11_editor_window.h"

IPlugEditor* CreatePlatformEditor(IPlugBase* plug, int width, int height, int framesPerSecond) {
    return new X11EditorWindow(plug, width, height, framesPerSecond);
}
