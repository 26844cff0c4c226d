#pragma once

// A plug-in object made in this process on the VST layer, its requests to the host answered
// and recorded by a TestHost of its own: the plug-in as a host drives it, without the binary
// interface between, for tests that reach into the object (its engine, editor, controls).
#include "support/test_host.h"
#include "vst/plug_vst.h"

#include <optional>
#include <utility>

namespace in_process {
// Made before the plug-in, so that what the plug-in asks while it is made reaches the host.
struct HostOfPlug {
    TestHost host;
    std::optional<vhost::HostCallback::LoadingScope> making{std::in_place, host};
};
} // namespace in_process

// Plug is an IPlugVST whose constructor takes the host callback first.
template <typename Plug> class InProcessPlug : public in_process::HostOfPlug, public Plug {
public:
    template <typename... Args>
    explicit InProcessPlug(Args&&... args)
        : Plug(vhost::HostCallback::Function(), std::forward<Args>(args)...) {
        host.Attach(this->Descriptor());
        making.reset();
    }
    ~InProcessPlug() override {
        this->DestroyEditor();
        host.Detach(this->Descriptor());
    }
};
