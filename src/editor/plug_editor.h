#pragma once

// The editor as the plug-in base and the effect see it. The graphics context fills
// this in; without an editor attached the base and the effect take their own paths.
class IPlugEditor {
public:
    virtual ~IPlugEditor() = default;

    virtual void PushValueToControls(int paramIndex, double value, bool isNormalized) = 0;
    virtual void CreateDrawSurface() = 0;
    virtual void SetControlsAsUser(int paramIndex, double normalized) = 0;
    virtual void HideBoundControls(int paramIndex, bool hide) = 0;
    virtual void SetEndEditCountdown(int ticks) = 0;
    virtual void ClearEndEditCountdown() = 0;
    virtual int FramesPerSecond() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // The window, inside the host's parent; answers the window or null.
    virtual void* OpenEditorWindow(void* parent) = 0;
    virtual void CloseEditorWindow() = 0;
    // A wheel movement the host forwards; answers 1 when the pointer was over the editor.
    virtual int HostWheel(float notches) = 0;
};
