#include "editor/offscreen_editor.h"
#include "editor/platform_editor.h"

// No window layer on this platform yet: the editor draws off-screen only.
IPlugEditor* CreatePlatformEditor(IPlugBase* plug, int width, int height, int framesPerSecond) {
    return new OffscreenEditor(plug, width, height, framesPerSecond);
}
