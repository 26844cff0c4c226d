// Audio files through libsndfile: a reader, a writer, and the choice of output container
// and encoding. The writer writes the file it is given; the command line gives it the
// staging file of an OutputFile.
#pragma once

#include "host/audio_stream.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vhost {

struct SndFileCloser {
    void operator()(void* file) const noexcept;
};
using SndFileHandle = std::unique_ptr<void, SndFileCloser>;

class AudioFileReader final : public AudioSource {
public:
    // `path` "-" is standard input; a pipe is read to its end before anything else. Throws
    // HostError naming the file and libsndfile's reason.
    explicit AudioFileReader(const std::string& path);
    int Channels() const override { return channels_; }
    double SampleRate() const override { return sampleRate_; }
    std::int64_t Frames() const override { return frames_; }
    std::int64_t Read(double* interleaved, std::int64_t frames) override;
    // libsndfile's format word (container | encoding).
    int Format() const noexcept { return format_; }
    // The header announces more audio than the file holds (libsndfile reads what is there).
    bool CutShort() const noexcept { return cutShort_; }
    // The file holds bytes after the announced audio that libsndfile cannot read as a
    // chunk, as when a data size was left at 0: a warning saying so, else empty.
    const std::string& UnreadBytes() const noexcept { return unread_; }

private:
    std::string path_;
    SndFileHandle file_;
    int channels_ = 0;
    double sampleRate_ = 0.0;
    std::int64_t frames_ = 0;
    int format_ = 0;
    bool cutShort_ = false;
    std::string unread_;
};

class AudioFileWriter final : public AudioSink {
public:
    // `format` is libsndfile's format word. Creates or truncates `path`; messages name the
    // file `shownAs` when it is given.
    AudioFileWriter(const std::filesystem::path& path, int format, int channels, int sampleRate,
                    const std::string& shownAs = {});
    void Write(const double* interleaved, std::int64_t frames) override;
    // Completes the file; throws HostError when anything could not be written.
    void Finish();

    // Samples beyond full scale clipped by an integer encoding.
    std::int64_t Clipped() const noexcept { return clipped_; }
    // NaN written as 0 and infinities as full scale, in encodings that cannot hold them.
    std::int64_t NonFiniteReplaced() const noexcept { return nonFiniteReplaced_; }

private:
    std::filesystem::path path_;
    std::string shownAs_;
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
int ChooseOutputFormat(const std::string& container, const std::string& encoding,
                       const std::filesystem::path& output, int inputFormat, int channels,
                       int sampleRate);

// The format to write `frames` frames in: a WAV that would pass 4 GiB becomes RF64 (with
// `note` saying so); other containers with 32-bit sizes (AIFF, AU) that would pass it are
// refused with a HostError. A negative `frames` (unknown length) keeps the format.
int FitContainer(int format, int channels, std::int64_t frames, std::string& note);

// The container an output name's extension asks for (SF_FORMAT_WAV...), 0 for none.
int ContainerOfName(const std::filesystem::path& output);

// Bytes of one sample in a format's encoding, 0 for compressed encodings.
int BytesPerSample(int format);

// "WAV, 32-bit float" style description of a format word.
std::string DescribeFormat(int format);

} // namespace vhost
