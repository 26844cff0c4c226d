#pragma once

// What the plug-in base needs of an attached editor. The editor implements it, so the
// base can mirror values, end edit gestures later, open the window a host gives it and own
// the editor without knowing it.
class IEditorLink {
public:
    virtual ~IEditorLink() = default;

    virtual void PushValueToControls(int paramIndex, double value, bool isNormalized) = 0;
    virtual void CreateDrawSurface() = 0;
    virtual void SetEndEditCountdown(int ticks) = 0;
    virtual void ClearEndEditCountdown() = 0;
    virtual int FramesPerSecond() const = 0;

    // The editor's window as a child of the host's `parent`: the window, or null.
    virtual void* OpenEditorWindow(void* parent) = 0;
    virtual void CloseEditorWindow() = 0;
    // The host's idle call while the window is open.
    virtual void Idle() {}
};
