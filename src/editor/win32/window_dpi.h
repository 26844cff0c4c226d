#pragma once

#include "base/win32/win32_api.h"

// Screen density as Windows gives it to the calling thread, in dots per inch (96 is a
// scale of 1): the window's own where the system tracks it per window (Windows 10 1607 and
// later, looked up at run time so that older systems still load the library), else the
// system's. A window of a host that is not aware of densities always answers 96: the
// system enlarges such a host's windows itself.
UINT WindowDpi(HWND window);
// The density of the thread's windows before one exists.
UINT SystemDpi();
