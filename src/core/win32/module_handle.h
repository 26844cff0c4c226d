#pragma once

#include "base/win32/win32_api.h"

// The instance handle of the module this code is linked into: the one the library's load
// entry point recorded, else (in a program that is not a library) the module holding this
// code. Owner of the window class, the resources and the dialogs.
HINSTANCE ModuleHandle();
void SetModuleHandle(HINSTANCE instance);
