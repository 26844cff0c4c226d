#pragma once

// A host for the X11 editor's tests: the tests' host of the built plug-in, which also opens
// its editor in a window of its own on a connection of its own, drives it with XTest (real
// input through the X server) and idles it as hosts do.
#include "support/test_host.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <vector>

class X11TestHost : public TestHost {
public:
    X11TestHost();
    ~X11TestHost();
    X11TestHost(const X11TestHost&) = delete;
    X11TestHost& operator=(const X11TestHost&) = delete;

    // Whether a display could be reached; every other call needs one.
    static bool HaveDisplay();

    // A top-level window of the host's, mapped, for the editor to live in.
    xcb_window_t MakeParent(int x = 0, int y = 0, int width = 600, int height = 300,
                            std::uint8_t depth = 0);
    void DestroyWindow(xcb_window_t window);
    bool OpenEditor(AEffect* e, xcb_window_t parent);
    // The editor's window: the parent's only child, or 0.
    xcb_window_t EditorOf(xcb_window_t parent);
    // The topmost popup on the screen (a mapped override-redirect window), or 0.
    xcb_window_t Popup();
    struct Place {
        int x = 0, y = 0, width = 0, height = 0;
    };
    // Where a window lies on the screen.
    Place PlaceOf(xcb_window_t window);

    // Idles the plug-in every 10 ms (a 100 Hz host) until done() holds or 3 s have passed.
    bool IdleUntil(AEffect* e, const std::function<bool()>& done);
    // Idles n times, 10 ms apart.
    void Idle(AEffect* e, int n);
    // Idles until the window shows what the editor draws.
    bool IdleUntilShown(AEffect* e, xcb_window_t window, int width, int height);

    // Real input through the server, at editor coordinates of window.
    void MoveTo(xcb_window_t window, int x, int y);
    void Press(int button);
    void Release(int button);
    void Click(xcb_window_t window, int x, int y, int button = 1);
    void Key(std::uint32_t keysym);
    void Type(const char* text);

    // The window's pixels, 0x00RRGGBB, row by row.
    std::vector<std::uint32_t> Pixels(xcb_window_t window, int width, int height);
    // The plug-in's own picture of its editor, 0x00RRGGBB, at a scale (0: its own).
    static std::vector<std::uint32_t> Picture(AEffect* e, float scale = 0.0f);

    xcb_connection_t* Connection() const { return connection_; }
    void Sync();

private:
    std::uint8_t KeyCode(std::uint32_t keysym, bool& shift);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::vector<xcb_window_t> windows_;
};
