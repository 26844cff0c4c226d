// Host buffers with guard bytes before and after, to catch a plug-in writing outside them,
// and text queries through them.
#pragma once

#include "probe.h"
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
    std::string Damage() const;
    // How far into the buffer anything was written: the end of the last byte that no
    // longer holds the fill pattern, 0 when none changed.
    std::size_t WrittenBytes() const;
    // The text written into the buffer; throws TestFailure when it has no terminator.
    std::string Text() const;

private:
    std::size_t size_;
    std::vector<unsigned char> bytes_;
};

// Many hosts hand every text query a buffer of this size: writing past it corrupts them.
constexpr std::size_t kHostTextBytes = 64;
// The buffer the validator hands is larger, so that a longer text is measured, not suffered.
constexpr std::size_t kTextBufferBytes = 256;
// From this level on, a text longer than the interface's own size for its query is a
// warning: hosts that give exactly that size cut it or are overrun.
constexpr int kStrictTextLevel = 5;

// The interface's own size of a text query's buffer: 8 bytes for parameter texts, 24 for
// program names, 32 for the effect name, 64 for vendor and product strings.
std::size_t NominalTextBytes(VstInt32 opcode) noexcept;

// One text query (effGetParamName and the like) through a guarded buffer; throws
// TestFailure naming the query when the plug-in writes outside the buffer, past
// kHostTextBytes, or leaves no terminator. With `strict`, a text past the interface's own
// size is a warning on that probe.
std::string GuardedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index = 0,
                        VstIntPtr* answer = nullptr, Probe* strict = nullptr);

} // namespace vhost::validate
