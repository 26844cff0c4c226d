// Where a render reads its audio from and writes it to: interleaved 64-bit frames.
#pragma once

#include <cstdint>
#include <vector>

namespace vhost {

class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int Channels() const = 0;
    virtual double SampleRate() const = 0;
    // Total frames, for progress; -1 when unknown.
    virtual std::int64_t Frames() const = 0;
    // Reads up to `frames` frames; fewer (0 at the end) when the source runs out.
    virtual std::int64_t Read(double* interleaved, std::int64_t frames) = 0;
};

class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual void Write(const double* interleaved, std::int64_t frames) = 0;
};

// An in-memory source, for generated audio and tests.
class MemorySource final : public AudioSource {
public:
    MemorySource(std::vector<double> interleaved, int channels, double sampleRate);
    int Channels() const override { return channels_; }
    double SampleRate() const override { return sampleRate_; }
    std::int64_t Frames() const override;
    std::int64_t Read(double* interleaved, std::int64_t frames) override;

private:
    std::vector<double> samples_;
    int channels_;
    double sampleRate_;
    std::size_t position_ = 0;
};

class MemorySink final : public AudioSink {
public:
    void Write(const double* interleaved, std::int64_t frames) override;
    void SetChannels(int channels) { channels_ = channels; }
    int Channels() const { return channels_; }
    const std::vector<double>& Samples() const { return samples_; }

private:
    int channels_ = 0;
    std::vector<double> samples_;
};

} // namespace vhost
