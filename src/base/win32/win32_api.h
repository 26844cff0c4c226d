#pragma once

// The Win32 headers, for Windows-only files. Some Win32 functions are macros whose names
// clash with the editor's own operations (DrawText, LoadImage); they are removed here, and
// code that needs the Win32 functions calls their A or W names.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DrawText
#undef LoadImage
#undef GetObject
