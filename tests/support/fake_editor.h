#pragma once

#include "editor/offscreen_editor.h"

#include <vector>

// An off-screen editor that also records what the plug-in base asks of it.
class FakeEditor : public OffscreenEditor {
public:
    struct Push {
        int index;
        double value;
        bool normalized;
    };
    explicit FakeEditor(IPlugBase* plug, int framesPerSecond = 24)
        : OffscreenEditor(plug, 530, 210, framesPerSecond) {}

    std::vector<Push> pushes;
    int surfaces = 0;

    void PushValueToControls(int index, double value, bool normalized) override {
        pushes.push_back({index, value, normalized});
        OffscreenEditor::PushValueToControls(index, value, normalized);
    }
    void CreateDrawSurface() override {
        ++surfaces;
        OffscreenEditor::CreateDrawSurface();
    }
};
