// The library's load entry point: it records the module handle, which owns the editor's
// window class, its images and its dialogs.
#include "core/win32/module_handle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
    SetModuleHandle(instance);
    return TRUE;
}
