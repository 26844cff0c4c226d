#include "host/audio_stream.h"

#include "host/command_errors.h"

#include <algorithm>

namespace vhost {

MemorySource::MemorySource(std::vector<double> interleaved, int channels, double sampleRate)
    : samples_(std::move(interleaved)), channels_(channels), sampleRate_(sampleRate) {
    if (channels_ < 1) throw HostError("an audio source needs at least one channel");
    samples_.resize(samples_.size() - samples_.size() % static_cast<std::size_t>(channels_));
}

std::int64_t MemorySource::Frames() const {
    return static_cast<std::int64_t>(samples_.size() / static_cast<std::size_t>(channels_));
}

std::int64_t MemorySource::Read(double* interleaved, std::int64_t frames) {
    std::size_t wanted = static_cast<std::size_t>(std::max<std::int64_t>(frames, 0)) *
                         static_cast<std::size_t>(channels_);
    std::size_t n = std::min(wanted, samples_.size() - position_);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(position_), n, interleaved);
    position_ += n;
    return static_cast<std::int64_t>(n / static_cast<std::size_t>(channels_));
}

void MemorySink::Write(const double* interleaved, std::int64_t frames) {
    samples_.insert(samples_.end(), interleaved,
                    interleaved + frames * static_cast<std::int64_t>(channels_));
}

} // namespace vhost
