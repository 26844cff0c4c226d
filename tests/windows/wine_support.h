#pragma once

// Helpers of the Windows suite: the thread's message loop, captures of window and screen
// pixels, host frame windows.
#include "bitmap/heap_bitmap.h"
#include "plugin/velmorande.h" // the parameters' indices
#include "support/test_host.h"
#include "vst/aeffect.h"
#include "vst/editor_picture.h"

#include <windows.h>

#include <memory>
#include <string>

// Runs the thread's message loop for a while, so that timers fire and posted input arrives.
void Pump(int milliseconds);
// Runs the message loop until the editor's timer has ticked n more times (at most 10 s,
// so a slow machine only makes this slower).
bool WaitTicks(int n);

inline LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

// A press and release of a mouse button, each followed by a moment of the message loop.
void Press(HWND hwnd, UINT down, UINT up, WPARAM keys, int x, int y);
// Key presses as the keyboard sends them: the message loop's TranslateMessage makes the
// characters.
void TypeInto(HWND box, const char* text);

using Pixels = std::unique_ptr<HeapBitmap>;
// Pixels of a window's client area or of the screen, opaque 0xFFRRGGBB words.
Pixels CaptureWindow(HWND hwnd);
Pixels CaptureScreen(const RECT& r);
// Pixels whose colour (not alpha) differs between a capture and the editor's own bitmap,
// or -1 when the sizes differ.
int ColourDifferences(const PixelBitmap& shown, const EditorPicture& picture);
// Distinct colours in a capture: a painted panel has many, an unpainted window one.
int DistinctColours(const PixelBitmap& bitmap);
// The editor's off-screen bitmap, through the plug-in's own request.
bool Picture(HostedPlugin& effect, EditorPicture& picture);

// A top-level window of the host whose client area fits the editor (530 x 210 unless given).
HWND MakeFrame(const char* title, int x, int y, int width = 530, int height = 210);
// The editor window inside a host window, if any.
HWND EditorIn(HWND frame);
// A child of the editor of a window class ("EDIT", "COMBOBOX").
HWND EntryBox(HWND editor, const char* className);
// A rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child, HWND parent);
bool ClassRegistered(HMODULE dll);
std::string Caption(HWND hwnd);
