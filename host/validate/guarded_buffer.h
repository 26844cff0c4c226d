// Host buffers with guard bytes before and after, to catch a plug-in writing outside them.
#pragma once

#include "vsthost/plugin_instance.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vhost::validate {

class GuardedBuffer {
public:
    static constexpr std::size_t kGuardBytes = 64;
    static constexpr unsigned char kPattern = 0xA5;

    explicit GuardedBuffer(std::size_t size);
    void* data() noexcept { return bytes_.data() + kGuardBytes; }
    std::size_t size() const noexcept { return size_; }
    // What the plug-in damaged outside the buffer, or "" when both guards are intact.
    std::string damage() const;
    // The text written into the buffer; throws TestFailure when it has no terminator.
    std::string text() const;

private:
    std::size_t size_;
    std::vector<unsigned char> bytes_;
};

// The host's text buffer size: the interface's nominal lengths are far smaller, but hosts
// hand larger buffers and plug-ins rely on it.
constexpr std::size_t kTextBufferBytes = 256;

// One text request (effGetParamName and the like) through a guarded buffer; throws
// TestFailure naming `what` when the plug-in writes outside it or leaves it unterminated.
std::string guardedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index,
                        const std::string& what, VstIntPtr* answer = nullptr);

} // namespace vhost::validate
