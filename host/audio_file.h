// Audio files through libsndfile: a reader, a writer that only replaces its target when
// committed, and the choice of output container and encoding.
#pragma once

#include "atomic_file.h"
#include "audio_stream.h"

#include <filesystem>
#include <memory>
#include <string>

namespace vhost {

struct SndFileCloser {
    void operator()(void* file) const noexcept;
};
using SndFileHandle = std::unique_ptr<void, SndFileCloser>;

class AudioFileReader final : public AudioSource {
public:
    // Throws HostError naming the file and libsndfile's reason.
    explicit AudioFileReader(const std::filesystem::path& path);
    int channels() const override { return channels_; }
    double sampleRate() const override { return sampleRate_; }
    std::int64_t frames() const override { return frames_; }
    std::int64_t read(double* interleaved, std::int64_t frames) override;
    // libsndfile's format word (container | encoding).
    int format() const noexcept { return format_; }

private:
    std::filesystem::path path_;
    SndFileHandle file_;
    int channels_ = 0;
    double sampleRate_ = 0.0;
    std::int64_t frames_ = 0;
    int format_ = 0;
};

class AudioFileWriter final : public AudioSink {
public:
    // `format` is libsndfile's format word; the data goes to a temporary file beside `path`.
    AudioFileWriter(const std::filesystem::path& path, int format, int channels, int sampleRate);
    void write(const double* interleaved, std::int64_t frames) override;
    // Finishes the file and renames it onto the target.
    void commit();

private:
    TemporaryFile temp_;
    SndFileHandle file_;
    int channels_;
};

// The output format word: `container` (wav, aiff, flac, caf, w64; empty: from the output's
// extension, else the input's) and `encoding` (pcm16, pcm24, pcm32, float, double; empty:
// the input's when the container can hold it, else pcm24). `inputFormat` 0 means none.
// Throws UsageError for unknown names and combinations the container cannot hold.
int chooseOutputFormat(const std::string& container, const std::string& encoding,
                       const std::filesystem::path& output, int inputFormat, int channels,
                       int sampleRate);

// "WAV, 32-bit float" style description of a format word.
std::string describeFormat(int format);

} // namespace vhost
