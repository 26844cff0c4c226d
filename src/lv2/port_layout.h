#pragma once

// The ports of the LV2 plug-in: one control port per parameter at the parameter's index,
// then the stereo audio ports and the optional event input that brings the host's tempo.
struct PortLayout {
    int params = 0;

    int AudioIn(int channel) const { return params + channel; }
    int AudioOut(int channel) const { return params + 2 + channel; }
    int Events() const { return params + 4; }
    int Count() const { return params + 5; }
    bool IsParam(int port) const { return port >= 0 && port < params; }
};

constexpr int kLv2Channels = 2;
