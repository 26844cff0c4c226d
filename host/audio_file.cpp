#include "audio_file.h"

#include "host_error.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace vhost {
namespace {

SNDFILE* sf(const SndFileHandle& h) {
    return static_cast<SNDFILE*>(h.get());
}

struct NamedFormat {
    const char* name;
    int value;
    const char* description;
};

constexpr NamedFormat kContainers[] = {
    {"wav", SF_FORMAT_WAV, "WAV"},   {"aiff", SF_FORMAT_AIFF, "AIFF"},
    {"aif", SF_FORMAT_AIFF, "AIFF"}, {"flac", SF_FORMAT_FLAC, "FLAC"},
    {"caf", SF_FORMAT_CAF, "CAF"},   {"w64", SF_FORMAT_W64, "Wave64"},
};

constexpr NamedFormat kEncodings[] = {
    {"pcm16", SF_FORMAT_PCM_16, "16-bit PCM"},         {"pcm24", SF_FORMAT_PCM_24, "24-bit PCM"},
    {"pcm32", SF_FORMAT_PCM_32, "32-bit PCM"},         {"float", SF_FORMAT_FLOAT, "32-bit float"},
    {"double", SF_FORMAT_DOUBLE, "64-bit float"},      {"pcm8", SF_FORMAT_PCM_S8, "8-bit PCM"},
    {"pcmu8", SF_FORMAT_PCM_U8, "8-bit unsigned PCM"},
};

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

template <std::size_t N>
const NamedFormat* byName(const NamedFormat (&table)[N], const std::string& name) {
    for (const NamedFormat& f : table)
        if (lower(name) == f.name) return &f;
    return nullptr;
}

template <std::size_t N> const NamedFormat* byValue(const NamedFormat (&table)[N], int value) {
    for (const NamedFormat& f : table)
        if (f.value == value) return &f;
    return nullptr;
}

bool valid(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

} // namespace

void SndFileCloser::operator()(void* file) const noexcept {
    if (file) sf_close(static_cast<SNDFILE*>(file));
}

AudioFileReader::AudioFileReader(const std::filesystem::path& path) : path_(path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.string().c_str(), SFM_READ, &info);
    if (!file)
        throw HostError("cannot read audio file " + path.string() + ": " + sf_strerror(nullptr));
    file_.reset(file);
    if (info.channels < 1 || info.samplerate < 1)
        throw HostError("audio file " + path.string() + " has no channels or no sample rate");
    channels_ = info.channels;
    sampleRate_ = info.samplerate;
    frames_ = info.frames;
    format_ = info.format;
}

std::int64_t AudioFileReader::read(double* interleaved, std::int64_t frames) {
    sf_count_t got = sf_readf_double(sf(file_), interleaved, frames);
    if (got < frames && sf_error(sf(file_)) != SF_ERR_NO_ERROR)
        throw HostError("error reading " + path_.string() + ": " + sf_strerror(sf(file_)));
    return got;
}

AudioFileWriter::AudioFileWriter(const std::filesystem::path& path, int format, int channels,
                                 int sampleRate)
    : temp_(path), channels_(channels) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (!sf_format_check(&info))
        throw HostError("cannot write " + describeFormat(format) + " with " +
                        std::to_string(channels) + " channels at " + std::to_string(sampleRate) +
                        " Hz");
    SNDFILE* file = sf_open(temp_.path().string().c_str(), SFM_WRITE, &info);
    if (!file) throw HostError("cannot create " + path.string() + ": " + sf_strerror(nullptr));
    file_.reset(file);
    // Overs are clipped to full scale rather than wrapping around in integer encodings.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

void AudioFileWriter::write(const double* interleaved, std::int64_t frames) {
    if (!file_) throw HostError("writing to a finished audio file");
    sf_count_t put = sf_writef_double(sf(file_), interleaved, frames);
    if (put != frames)
        throw HostError("cannot write " + temp_.target().string() + ": " + sf_strerror(sf(file_)));
}

void AudioFileWriter::commit() {
    if (!file_) throw HostError("audio file committed twice");
    sf_write_sync(sf(file_));
    int error = sf_close(static_cast<SNDFILE*>(file_.release()));
    if (error != 0)
        throw HostError("cannot finish " + temp_.target().string() + ": " + sf_error_number(error));
    temp_.commit();
}

int chooseOutputFormat(const std::string& container, const std::string& encoding,
                       const std::filesystem::path& output, int inputFormat, int channels,
                       int sampleRate) {
    int major = 0;
    if (!container.empty()) {
        const NamedFormat* f = byName(kContainers, container);
        if (!f)
            throw UsageError("unknown output format '" + container +
                             "' (wav, aiff, flac, caf, w64)");
        major = f->value;
    } else {
        std::string ext = lower(output.extension().string());
        if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
        if (ext == "aiff" || ext == "aif") ext = "aiff";
        if (const NamedFormat* f = byName(kContainers, ext))
            major = f->value;
        else if (inputFormat)
            major = inputFormat & SF_FORMAT_TYPEMASK;
        else
            major = SF_FORMAT_WAV;
    }

    if (!encoding.empty()) {
        const NamedFormat* e = byName(kEncodings, encoding);
        if (!e)
            throw UsageError("unknown encoding '" + encoding +
                             "' (pcm16, pcm24, pcm32, float, double)");
        int format = major | e->value;
        if (!valid(format, channels, sampleRate))
            throw UsageError(describeFormat(major).substr(0, describeFormat(major).find(',')) +
                             " cannot hold " + e->description + " audio");
        return format;
    }
    int sub = inputFormat & SF_FORMAT_SUBMASK;
    if (inputFormat && valid(major | sub, channels, sampleRate)) return major | sub;
    for (int fallback : {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_FLOAT})
        if (valid(major | fallback, channels, sampleRate)) return major | fallback;
    throw UsageError("no encoding suits this output format with " + std::to_string(channels) +
                     " channels at " + std::to_string(sampleRate) + " Hz");
}

std::string describeFormat(int format) {
    const NamedFormat* c = byValue(kContainers, format & SF_FORMAT_TYPEMASK);
    const NamedFormat* e = byValue(kEncodings, format & SF_FORMAT_SUBMASK);
    std::string text = c ? c->description : "audio";
    text += ", ";
    text += e ? e->description : "other encoding";
    return text;
}

} // namespace vhost
