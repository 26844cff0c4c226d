#pragma once

// What the plug-in base needs of an attached editor. The editor implements it, so the
// base can mirror values, end edit gestures later and own the editor without knowing it.
class IEditorLink {
public:
    virtual ~IEditorLink() = default;

    virtual void PushValueToControls(int paramIndex, double value, bool isNormalized) = 0;
    virtual void CreateDrawSurface() = 0;
    virtual void SetEndEditCountdown(int ticks) = 0;
    virtual void ClearEndEditCountdown() = 0;
    virtual int FramesPerSecond() const = 0;
};
