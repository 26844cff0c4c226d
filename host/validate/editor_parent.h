// A window of the host's for a plug-in to open its editor in, when a display is there.
#pragma once

#include <memory>

namespace vhost::validate {

class EditorParent {
public:
    virtual ~EditorParent() = default;
    // What effEditOpen receives: the native window (an X11 window id on Linux).
    virtual void* Handle() const noexcept = 0;
    // Lets the window system deliver what is pending.
    virtual void Pump() = 0;
};

// nullptr when there is no display to open a window on.
std::unique_ptr<EditorParent> OpenEditorParent(int width, int height);

} // namespace vhost::validate
