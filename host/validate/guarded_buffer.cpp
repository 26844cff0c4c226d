#include "guarded_buffer.h"

#include "probe.h"

#include <cstring>

namespace vhost::validate {

GuardedBuffer::GuardedBuffer(std::size_t size)
    : size_(size), bytes_(size + 2 * kGuardBytes, kPattern) {}

std::string GuardedBuffer::damage() const {
    for (std::size_t i = 0; i < kGuardBytes; ++i)
        if (bytes_[i] != kPattern)
            return "wrote " + std::to_string(kGuardBytes - i) + " bytes before the buffer";
    for (std::size_t i = bytes_.size(); i > kGuardBytes + size_; --i)
        if (bytes_[i - 1] != kPattern)
            return "wrote " + std::to_string(i - kGuardBytes - size_) +
                   " bytes past the end of a " + std::to_string(size_) + "-byte buffer";
    return {};
}

std::string GuardedBuffer::text() const {
    const char* start = reinterpret_cast<const char*>(bytes_.data() + kGuardBytes);
    const void* end = std::memchr(start, '\0', size_);
    require(end != nullptr,
            "text without a terminator in a " + std::to_string(size_) + "-byte buffer");
    return std::string(start, static_cast<const char*>(end));
}

std::string guardedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index,
                        const std::string& what, VstIntPtr* answer) {
    GuardedBuffer buffer(kTextBufferBytes);
    std::memset(buffer.data(), 0, 1); // an effect that writes nothing leaves ""
    VstIntPtr result = plugin.dispatch(opcode, index, 0, buffer.data());
    if (answer) *answer = result;
    std::string damage = buffer.damage();
    require(damage.empty(), what + ": " + damage);
    return buffer.text();
}

} // namespace vhost::validate
