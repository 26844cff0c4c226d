#include "guarded_buffer.h"

#include <cstring>

namespace vhost::validate {
namespace {

// "effGetParamName (parameter 3)" and the like, for messages.
std::string QueryName(VstInt32 opcode, VstInt32 index) {
    switch (opcode) {
    case effGetParamLabel:
        return "effGetParamLabel (parameter " + std::to_string(index) + ")";
    case effGetParamDisplay:
        return "effGetParamDisplay (parameter " + std::to_string(index) + ")";
    case effGetParamName:
        return "effGetParamName (parameter " + std::to_string(index) + ")";
    case effGetProgramNameIndexed:
        return "effGetProgramNameIndexed (program " + std::to_string(index) + ")";
    case effGetProgramName:
        return "effGetProgramName";
    case effGetEffectName:
        return "effGetEffectName";
    case effGetVendorString:
        return "effGetVendorString";
    case effGetProductString:
        return "effGetProductString";
    default:
        return "text query " + std::to_string(opcode);
    }
}

} // namespace

GuardedBuffer::GuardedBuffer(std::size_t size)
    : size_(size), bytes_(size + 2 * kGuardBytes, kPattern) {}

std::string GuardedBuffer::Damage() const {
    for (std::size_t i = 0; i < kGuardBytes; ++i)
        if (bytes_[i] != kPattern)
            return "wrote " + std::to_string(kGuardBytes - i) + " bytes before the buffer";
    for (std::size_t i = bytes_.size(); i > kGuardBytes + size_; --i)
        if (bytes_[i - 1] != kPattern)
            return "wrote " + std::to_string(i - kGuardBytes - size_) +
                   " bytes past the end of a " + std::to_string(size_) + "-byte buffer";
    return {};
}

std::size_t GuardedBuffer::WrittenBytes() const {
    for (std::size_t n = size_; n > 0; --n)
        if (bytes_[kGuardBytes + n - 1] != kPattern) return n;
    return 0;
}

std::string GuardedBuffer::Text() const {
    const char* start = reinterpret_cast<const char*>(bytes_.data() + kGuardBytes);
    const void* end = std::memchr(start, '\0', size_);
    Require(end != nullptr,
            "text without a terminator in a " + std::to_string(size_) + "-byte buffer");
    return std::string(start, static_cast<const char*>(end));
}

std::size_t NominalTextBytes(VstInt32 opcode) noexcept {
    switch (opcode) {
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return 8;
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return 24;
    case effGetEffectName:
        return 32;
    default:
        return 64;
    }
}

std::string GuardedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, VstIntPtr* answer,
                        Probe* strict) {
    GuardedBuffer buffer(kTextBufferBytes);
    std::memset(buffer.data(), 0, 1); // an effect that writes nothing leaves ""
    VstIntPtr result = plugin.Dispatch(opcode, index, 0, buffer.data());
    if (answer) *answer = result;
    std::string damage = buffer.Damage();
    Require(damage.empty(), QueryName(opcode, index) + ": " + damage);
    const std::size_t written = buffer.WrittenBytes();
    Require(written <= kHostTextBytes,
            QueryName(opcode, index) + " wrote " + std::to_string(written) + " bytes, past the " +
                std::to_string(kHostTextBytes) + " a host commonly gives");
    std::string text = buffer.Text();
    if (strict && written > NominalTextBytes(opcode))
        strict->Warn(QueryName(opcode, index) + " wrote " + std::to_string(written) + " bytes ('" +
                     text + "'), the interface's size is " +
                     std::to_string(NominalTextBytes(opcode)));
    return text;
}

} // namespace vhost::validate
