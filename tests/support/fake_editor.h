#pragma once

#include "editor/plug_editor.h"

#include <vector>

// An editor without controls that records what the plug-in base asks of it.
class FakeEditor : public IPlugEditor {
public:
    struct Push {
        int index;
        double value;
        bool normalized;
    };
    std::vector<Push> pushes;
    int countdown = 0;
    int surfaces = 0;
    int framesPerSecond = 24;

    void PushValueToControls(int index, double value, bool normalized) override {
        pushes.push_back({index, value, normalized});
    }
    void CreateDrawSurface() override { ++surfaces; }
    void SetControlsAsUser(int, double) override {}
    void HideBoundControls(int, bool) override {}
    void SetEndEditCountdown(int ticks) override { countdown = ticks; }
    void ClearEndEditCountdown() override { countdown = 0; }
    int FramesPerSecond() const override { return framesPerSecond; }
    int Width() const override { return 530; }
    int Height() const override { return 210; }
    void* OpenEditorWindow(void*) override { return nullptr; }
    void CloseEditorWindow() override {}
    int HostWheel(float) override { return 0; }
};
