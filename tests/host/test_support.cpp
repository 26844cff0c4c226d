#include "test_support.h"

#include "host/audio_diff.h"
#include "host/audio_file.h"
#include "host/command_errors.h"
#include "host/output_file.h"
#include "host/plugin_state.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace vhost::test {

TempDir::TempDir() {
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
        std::string name = "velmorande-host-test-";
        name += std::to_string(rd());
        auto candidate = std::filesystem::temp_directory_path() / name;
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw HostError("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::listed(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FixtureLibrary::FixtureLibrary(const char* path) : library_(path) {
    reset();
}

FixtureTrace& FixtureLibrary::trace() const {
    auto get = reinterpret_cast<FixtureTraceProc>(library_.symbol("fixtureTrace"));
    if (!get) throw HostError("the fixture exports no trace");
    return *get();
}

void FixtureLibrary::reset() const {
    auto reset = reinterpret_cast<FixtureResetProc>(library_.symbol("fixtureResetTrace"));
    if (!reset) throw HostError("the fixture exports no trace reset");
    reset();
}

std::vector<VstInt32> FixtureLibrary::opcodes(const std::vector<VstInt32>& ignore) const {
    const FixtureTrace& t = trace();
    std::vector<VstInt32> list;
    for (int i = 0; i < t.numOpcodes; ++i)
        if (std::find(ignore.begin(), ignore.end(), t.opcodes[i]) == ignore.end())
            list.push_back(t.opcodes[i]);
    return list;
}

void writeAudio(const std::filesystem::path& path, const AudioData& audio) {
    AudioFileWriter writer(path, audio.format, audio.channels, audio.sampleRate);
    writer.write(audio.samples.data(), static_cast<std::int64_t>(audio.frames()));
    writer.finish();
}

void writeBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    writeWholeFile(path, bytes, path.string());
}

std::string saveState(PluginInstance& plugin, const std::filesystem::path& path) {
    const StateFile state = captureStateFile(plugin, path);
    writeBytes(path, state.bytes);
    return state.kind;
}

AudioData readAudio(const std::filesystem::path& path) {
    AudioFileReader reader(path);
    AudioData audio;
    audio.channels = reader.channels();
    audio.sampleRate = static_cast<int>(reader.sampleRate());
    audio.format = reader.format();
    audio.samples.resize(static_cast<std::size_t>(reader.frames()) * audio.channels);
    std::int64_t got = reader.read(audio.samples.data(), reader.frames());
    audio.samples.resize(static_cast<std::size_t>(got) * audio.channels);
    return audio;
}

AudioData sine(int channels, int sampleRate, std::size_t frames, double frequency, double amplitude,
               int format) {
    AudioData audio;
    audio.channels = channels;
    audio.sampleRate = sampleRate;
    audio.format = format;
    audio.samples.resize(frames * channels);
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            audio.samples[i * channels + c] =
                amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                     (static_cast<double>(i) - c) / sampleRate);
    return audio;
}

namespace {

std::string quoteForShell(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

} // namespace

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool sameAudio(const std::filesystem::path& a, const std::filesystem::path& b) {
    return diffAudioFiles(a, b, 0.0).within(0.0);
}

std::string shellQuoted(const std::string& word) {
    return quoteForShell(word);
}

CommandResult runHostExecutable(const std::vector<std::string>& args,
                                const std::vector<std::string>& prefix) {
    TempDir capture;
    std::string command;
    for (const auto& p : prefix)
        command += quoteForShell(p) + ' ';
    command += quoteForShell(HOST_EXECUTABLE);
    for (const auto& a : args) {
        command += ' ';
        command += quoteForShell(a);
    }
    command += " </dev/null >";
    command += quoteForShell((capture / "out").string());
    command += " 2>";
    command += quoteForShell((capture / "err").string());
    int status = std::system(command.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(capture / "out");
    result.err = slurp(capture / "err");
    return result;
}

} // namespace vhost::test
