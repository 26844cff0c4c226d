// Audio files through libsndfile: a reader, a writer that only replaces its target when
// committed, and the choice of output container and encoding.
#pragma once

#include "host/atomic_file.h"
#include "host/audio_stream.h"
#include "host/output_target.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
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
    // The header announces more audio than the file holds (libsndfile reads what is there).
    bool cutShort() const noexcept { return cutShort_; }

private:
    std::filesystem::path path_;
    SndFileHandle file_;
    int channels_ = 0;
    double sampleRate_ = 0.0;
    std::int64_t frames_ = 0;
    int format_ = 0;
    bool cutShort_ = false;
};

class AudioFileWriter final : public AudioSink {
public:
    // `format` is libsndfile's format word. A regular file (or a link's target) is written
    // through a temporary file beside it; a device or pipe directly; "-" to standard output.
    AudioFileWriter(const std::filesystem::path& path, int format, int channels, int sampleRate);
    void write(const double* interleaved, std::int64_t frames) override;
    // Finishes the file and renames it onto the target.
    void commit();

    // Samples beyond full scale clipped by an integer encoding.
    std::int64_t clipped() const noexcept { return clipped_; }
    // NaN written as 0 and infinities as full scale, in encodings that cannot hold them.
    std::int64_t nonFiniteReplaced() const noexcept { return nonFiniteReplaced_; }
    OutputKind kind() const noexcept { return target_.kind; }

private:
    OutputTarget target_;
    std::optional<TemporaryFile> temp_;
    SndFileHandle file_;
    int channels_;
    bool floating_ = false; // the encoding holds any value: nothing is clipped or replaced
    std::vector<double> scratch_;
    std::int64_t clipped_ = 0;
    std::int64_t nonFiniteReplaced_ = 0;
};

// The output format word: `container` (wav, rf64, aiff, flac, caf, w64, au, ogg, opus, mp3;
// empty: from the output's extension, the input's when it has none) and `encoding` (pcm16,
// pcm24, pcm32, float, double; empty: the input's when the container can hold it, else
// pcm24). `inputFormat` 0 means none. Throws UsageError for unknown names, an extension the
// host cannot write, and combinations the container cannot hold.
int chooseOutputFormat(const std::string& container, const std::string& encoding,
                       const std::filesystem::path& output, int inputFormat, int channels,
                       int sampleRate);

// The format to write `frames` frames in: a WAV that would pass 4 GiB becomes RF64 (with
// `note` saying so); other containers with 32-bit sizes (AIFF, AU) that would pass it are
// refused with a HostError. A negative `frames` (unknown length) keeps the format.
int fitContainer(int format, int channels, std::int64_t frames, std::string& note);

// Bytes of one sample in a format's encoding, 0 for compressed encodings.
int bytesPerSample(int format);

// "WAV, 32-bit float" style description of a format word.
std::string describeFormat(int format);

} // namespace vhost
