#include "host/audio_file.h"

#include "host/command_errors.h"
#include "host/file_system.h"
#include "host/text_match.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vhost {
namespace {

SNDFILE* Sf(const SndFileHandle& h) {
    return static_cast<SNDFILE*>(h.get());
}

struct NamedFormat {
    const char* name;
    int value;
    const char* description;
};

// Containers with the encoding they always use (0: any the --encoding names).
struct Container {
    const char* name;
    int value;
    int fixedEncoding;
    const char* description;
};

constexpr Container kContainers[] = {
    {"wav", SF_FORMAT_WAV, 0, "WAV"},
    {"rf64", SF_FORMAT_RF64, 0, "RF64"},
    {"aiff", SF_FORMAT_AIFF, 0, "AIFF"},
    {"aif", SF_FORMAT_AIFF, 0, "AIFF"},
    {"flac", SF_FORMAT_FLAC, 0, "FLAC"},
    {"caf", SF_FORMAT_CAF, 0, "CAF"},
    {"w64", SF_FORMAT_W64, 0, "Wave64"},
    {"au", SF_FORMAT_AU, 0, "AU"},
    {"snd", SF_FORMAT_AU, 0, "AU"},
    {"ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS, "Ogg"},
    {"oga", SF_FORMAT_OGG, SF_FORMAT_VORBIS, "Ogg"},
    {"opus", SF_FORMAT_OGG, SF_FORMAT_OPUS, "Ogg"},
    {"mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III, "MPEG"},
};
constexpr const char* kContainerList = "wav, rf64, aiff, flac, caf, w64, au, ogg, opus, mp3";

constexpr NamedFormat kEncodings[] = {
    {"pcm16", SF_FORMAT_PCM_16, "16-bit PCM"},
    {"pcm24", SF_FORMAT_PCM_24, "24-bit PCM"},
    {"pcm32", SF_FORMAT_PCM_32, "32-bit PCM"},
    {"float", SF_FORMAT_FLOAT, "32-bit float"},
    {"double", SF_FORMAT_DOUBLE, "64-bit float"},
    // One name for 8-bit PCM: containers store it signed (AIFF) or unsigned (WAV).
    {"pcm8", SF_FORMAT_PCM_S8, "8-bit PCM"},
    {"pcm8", SF_FORMAT_PCM_U8, "8-bit unsigned PCM"},
    {"vorbis", SF_FORMAT_VORBIS, "Vorbis"},
    {"opus", SF_FORMAT_OPUS, "Opus"},
    {"mp3", SF_FORMAT_MPEG_LAYER_III, "MPEG layer III"},
};

bool HoldsAnyValue(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
        return true;
    default:
        return false;
    }
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

template <typename T, std::size_t N> const T* ByName(const T (&table)[N], const std::string& name) {
    for (const T& f : table)
        if (Lower(name) == f.name) return &f;
    return nullptr;
}

template <typename T, std::size_t N> const T* ByValue(const T (&table)[N], int value) {
    for (const T& f : table)
        if (f.value == value) return &f;
    return nullptr;
}

bool Valid(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

// 8-bit PCM as the container stores it.
int ContainerEncoding(int major, int encoding, int channels, int sampleRate) {
    if (encoding != SF_FORMAT_PCM_S8 && encoding != SF_FORMAT_PCM_U8) return encoding;
    return Valid(major | SF_FORMAT_PCM_S8, channels, sampleRate) ? SF_FORMAT_PCM_S8
                                                                 : SF_FORMAT_PCM_U8;
}

std::string ExtensionOf(const std::filesystem::path& output) {
    std::string ext = output == "-" ? "" : Lower(output.extension().string());
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    return ext;
}

} // namespace

void SndFileCloser::operator()(void* file) const noexcept {
    if (file) sf_close(static_cast<SNDFILE*>(file));
}

namespace {

std::string LogOf(SNDFILE* file) {
    std::string log(8192, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(log.find('\0'));
    return log;
}

// libsndfile notes a data chunk longer than the file as "data : N (should be M)".
bool AnnouncesMoreThanItHolds(const std::string& log) {
    return log.find("(should be") != std::string::npos;
}

// "*** Unknown chunk marker (BE1BA1C0) at position 88. Exiting parser.": bytes after the
// announced data that are no chunk, typically audio behind a size field left at 0.
std::string BytesNotRead(const std::string& log, std::int64_t frames) {
    const std::size_t exiting = log.find("Exiting parser");
    if (exiting == std::string::npos) return {};
    long long length = -1, at = -1;
    if (const std::size_t l = log.find("Length : "); l != std::string::npos)
        length = std::atoll(log.c_str() + l + 9);
    const std::size_t line = log.rfind('\n', exiting);
    const std::size_t position = log.find("at position ", line == std::string::npos ? 0 : line);
    if (position != std::string::npos && position < exiting)
        at = std::atoll(log.c_str() + position + 12);
    const std::string unread =
        length > at && at >= 0
            ? std::to_string(length - at) + " bytes from byte " + std::to_string(at) + " on"
            : "bytes";
    return "INPUT's header announces " + Counted(frames, "frame") + ", but the file holds " +
           unread +
           " that are neither audio nor a chunk: its sizes are wrong (a recording "
           "that was never finished?), and only the announced frames are read";
}

} // namespace

AudioFileReader::AudioFileReader(const std::string& path)
    : path_(path == "-" ? "standard input" : path) {
    std::string failure;
    const int fd = OpenSeekableForReading(path, failure);
    if (fd < 0) throw HostError("cannot read audio file " + path_ + ": " + failure);
    SF_INFO info{};
    // libsndfile closes the descriptor with the file, and also when it cannot open it.
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (!file) throw HostError("cannot read audio file " + path_ + ": " + sf_strerror(nullptr));
    file_.reset(file);
    if (info.channels < 1 || info.samplerate < 1)
        throw HostError("audio file " + path_ + " has no channels or no sample rate");
    channels_ = info.channels;
    sampleRate_ = info.samplerate;
    frames_ = info.frames;
    format_ = info.format;
    const std::string log = LogOf(file);
    cutShort_ = AnnouncesMoreThanItHolds(log);
    unread_ = BytesNotRead(log, frames_);
}

std::int64_t AudioFileReader::Read(double* interleaved, std::int64_t frames) {
    sf_count_t got = sf_readf_double(Sf(file_), interleaved, frames);
    if (got < frames && sf_error(Sf(file_)) != SF_ERR_NO_ERROR)
        throw HostError("error reading " + path_ + ": " + sf_strerror(Sf(file_)));
    return got;
}

AudioFileWriter::AudioFileWriter(const std::filesystem::path& path, int format, int channels,
                                 int sampleRate, const std::string& shownAs)
    : path_(path), shownAs_(shownAs.empty() ? path.string() : shownAs), channels_(channels),
      floating_(HoldsAnyValue(format)) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (!sf_format_check(&info))
        throw HostError("cannot write " + DescribeFormat(format) + " with " +
                        std::to_string(channels) + " channels at " + std::to_string(sampleRate) +
                        " Hz");
    SNDFILE* handle = sf_open(path.string().c_str(), SFM_WRITE, &info);
    if (!handle) throw HostError("cannot create " + shownAs_ + ": " + sf_strerror(nullptr));
    file_.reset(handle);
    // Overs are clipped to full scale rather than wrapping around in integer encodings.
    sf_command(handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

void AudioFileWriter::Write(const double* interleaved, std::int64_t frames) {
    if (!file_) throw HostError("writing to a finished audio file");
    const double* data = interleaved;
    if (!floating_) {
        const auto n = static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_);
        std::int64_t overs = 0, bad = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double a = std::fabs(interleaved[i]);
            const bool finite = a <= std::numeric_limits<double>::max();
            overs += finite && a > 1.0 ? 1 : 0;
            bad += finite ? 0 : 1;
        }
        clipped_ += overs;
        nonFiniteReplaced_ += bad;
        if (bad) {
            // NaN would become full-scale negative in integer encodings: written as 0, and
            // infinities as full scale.
            scratch_.assign(interleaved, interleaved + n);
            for (double& x : scratch_)
                if (std::isnan(x))
                    x = 0.0;
                else if (std::isinf(x))
                    x = x > 0.0 ? 1.0 : -1.0;
            data = scratch_.data();
        }
    }
    sf_count_t put = sf_writef_double(Sf(file_), data, frames);
    if (put != frames) throw HostError("cannot write " + shownAs_ + ": " + sf_strerror(Sf(file_)));
}

void AudioFileWriter::Finish() {
    if (!file_) throw HostError("audio file finished twice");
    sf_write_sync(Sf(file_));
    const int error = sf_close(static_cast<SNDFILE*>(file_.release()));
    if (error != 0) throw HostError("cannot finish " + shownAs_ + ": " + sf_error_number(error));
}

int ChooseOutputFormat(const std::string& container, const std::string& encoding,
                       const std::filesystem::path& output, int inputFormat, int channels,
                       int sampleRate) {
    int major = 0;
    int fixed = 0;
    if (!container.empty()) {
        const Container* f = ByName(kContainers, container);
        if (!f)
            throw UsageError("unknown output format '" + container + "' (" + kContainerList + ")");
        major = f->value;
        fixed = f->fixedEncoding;
    } else {
        const std::string ext = ExtensionOf(output);
        if (const Container* f = ByName(kContainers, ext)) {
            major = f->value;
            fixed = f->fixedEncoding;
        } else if (!ext.empty()) {
            throw UsageError("cannot tell the format of " + output.string() + " from ." + ext +
                             ": name it " + kContainerList + ", or give --format");
        } else if (inputFormat) {
            major = inputFormat & SF_FORMAT_TYPEMASK;
            if (major == SF_FORMAT_OGG || major == SF_FORMAT_MPEG)
                fixed = inputFormat & SF_FORMAT_SUBMASK;
        } else {
            major = SF_FORMAT_WAV;
        }
    }

    const std::string name = DescribeFormat(major).substr(0, DescribeFormat(major).find(','));
    if (fixed) {
        if (!encoding.empty())
            throw UsageError(name + " output is always " + ByValue(kEncodings, fixed)->description +
                             "; leave out --encoding");
        if (!Valid(major | fixed, channels, sampleRate))
            throw UsageError("this libsndfile cannot write " + DescribeFormat(major | fixed) +
                             " with " + std::to_string(channels) + " channels at " +
                             std::to_string(sampleRate) + " Hz");
        return major | fixed;
    }
    if (!encoding.empty()) {
        const NamedFormat* e = ByName(kEncodings, encoding);
        if (!e)
            throw UsageError("unknown encoding '" + encoding +
                             "' (pcm8, pcm16, pcm24, pcm32, float, double)");
        const int format = major | ContainerEncoding(major, e->value, channels, sampleRate);
        if (!Valid(format, channels, sampleRate))
            throw UsageError(name + " cannot hold " + e->description + " audio");
        return format;
    }
    const int sub = ContainerEncoding(major, inputFormat & SF_FORMAT_SUBMASK, channels, sampleRate);
    if (inputFormat && Valid(major | sub, channels, sampleRate)) return major | sub;
    for (int fallback : {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_FLOAT})
        if (Valid(major | fallback, channels, sampleRate)) return major | fallback;
    throw UsageError("no encoding suits this output format with " + std::to_string(channels) +
                     " channels at " + std::to_string(sampleRate) + " Hz");
}

int ContainerOfName(const std::filesystem::path& output) {
    const Container* f = ByName(kContainers, ExtensionOf(output));
    return f ? f->value : 0;
}

int BytesPerSample(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

int FitContainer(int format, int channels, std::int64_t frames, std::string& note) {
    const int major = format & SF_FORMAT_TYPEMASK;
    if (frames < 0 || (major != SF_FORMAT_WAV && major != SF_FORMAT_AIFF && major != SF_FORMAT_AU))
        return format;
    // The data size field holds 32 bits; keep well clear of the limit for the header and any
    // chunks libsndfile adds.
    constexpr double kLimit = 4294967295.0 - 1024.0 * 1024.0;
    const double bytes =
        static_cast<double>(frames) * channels * std::max(BytesPerSample(format), 1);
    if (bytes <= kLimit) return format;
    char size[32];
    std::snprintf(size, sizeof size, "%.2f GiB", bytes / (1024.0 * 1024.0 * 1024.0));
    if (major == SF_FORMAT_WAV) {
        note = std::string("the output will hold ") + size +
               " of audio, more than WAV can: writing RF64";
        return SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
    }
    throw HostError(std::string("the output would hold ") + size + " of audio, more than " +
                    DescribeFormat(major).substr(0, DescribeFormat(major).find(',')) +
                    " can; use --format rf64, w64 or caf");
}

std::string DescribeFormat(int format) {
    const Container* c = ByValue(kContainers, format & SF_FORMAT_TYPEMASK);
    const NamedFormat* e = ByValue(kEncodings, format & SF_FORMAT_SUBMASK);
    std::string text = c ? c->description : "audio";
    text += ", ";
    text += e ? e->description : "other encoding";
    return text;
}

} // namespace vhost
