#pragma once

// The X11 choice list as a test sees it on the screen: a popup of its own, drawn as a dark
// frame around a light header above the rows, the highlighted row lit, all at the editor's
// scale.
#include "x11/x11_test_host.h"

#include "editor/display_scale.h"

#include <cstdint>
#include <vector>

class ChoiceListView {
public:
    static constexpr std::uint32_t kFrame = 0x404040, kHeader = 0xE4E4E4, kLit = 0x3370CC;

    ChoiceListView(X11TestHost& host, AEffect* fx, DisplayScale scale = {})
        : host_(host), fx_(fx), scale_(scale) {}

    int HeaderHeight() const { return scale_.ToDevice(20); }
    int RowHeight() const { return scale_.ToDevice(18); }

    // Right-clicks the control at x, y of window and idles until its list is shown, drawn;
    // 0 if none comes.
    xcb_window_t Open(xcb_window_t window, int x, int y) {
        host_.Click(window, x, y, 3);
        xcb_window_t popup = 0;
        host_.IdleUntil(fx_, [&] {
            popup = host_.Popup();
            return popup && Drawn(popup);
        });
        return host_.Popup() == popup ? popup : 0;
    }
    bool Drawn(xcb_window_t popup) {
        const X11TestHost::Place at = host_.PlaceOf(popup);
        const int inside = scale_.ToDevice(1) + 1;
        const auto shown = host_.Pixels(popup, at.width, at.height);
        return shown.size() > std::size_t{3} * at.width && shown[0] == kFrame &&
               shown[inside * at.width + inside] == kHeader && shown.back() == kFrame;
    }
    // The rows shown whose highlight is lit.
    std::vector<int> LitRows(xcb_window_t popup) {
        const X11TestHost::Place at = host_.PlaceOf(popup);
        const auto shown = host_.Pixels(popup, at.width, at.height);
        const int x = scale_.ToDevice(2);
        std::vector<int> lit;
        for (int row = 0; HeaderHeight() + row * RowHeight() < at.height; ++row)
            if (shown[(HeaderHeight() + row * RowHeight() + RowHeight() / 2) * at.width + x] ==
                kLit)
                lit.push_back(row);
        return lit;
    }
    bool Gone() {
        return host_.IdleUntil(fx_, [&] { return host_.Popup() == 0; });
    }

private:
    X11TestHost& host_;
    AEffect* fx_;
    DisplayScale scale_;
};
