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

std::vector<std::string> TempDir::Listed(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FixtureLibrary::FixtureLibrary(const char* path) : library_(path) {
    Reset();
}

FixtureTrace& FixtureLibrary::Trace() const {
    auto get = reinterpret_cast<FixtureTraceProc>(library_.Symbol("fixtureTrace"));
    if (!get) throw HostError("the fixture exports no trace");
    return *get();
}

void FixtureLibrary::Reset() const {
    auto reset = reinterpret_cast<FixtureResetProc>(library_.Symbol("fixtureResetTrace"));
    if (!reset) throw HostError("the fixture exports no trace reset");
    reset();
}

std::vector<VstInt32> FixtureLibrary::Opcodes(const std::vector<VstInt32>& ignore) const {
    const FixtureTrace& t = Trace();
    std::vector<VstInt32> list;
    for (int i = 0; i < t.numOpcodes; ++i)
        if (std::find(ignore.begin(), ignore.end(), t.opcodes[i]) == ignore.end())
            list.push_back(t.opcodes[i]);
    return list;
}

void WriteAudio(const std::filesystem::path& path, const AudioData& audio) {
    AudioFileWriter writer(path, audio.format, audio.channels, audio.sampleRate);
    writer.Write(audio.samples.data(), static_cast<std::int64_t>(audio.Frames()));
    writer.Finish();
}

void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    WriteWholeFile(path, bytes, path.string());
}

std::string SaveState(PluginInstance& plugin, const std::filesystem::path& path) {
    const StateFile state = CaptureStateFile(plugin, path);
    WriteBytes(path, state.bytes);
    return state.kind;
}

AudioData ReadAudio(const std::filesystem::path& path) {
    AudioFileReader reader(path);
    AudioData audio;
    audio.channels = reader.Channels();
    audio.sampleRate = static_cast<int>(reader.SampleRate());
    audio.format = reader.Format();
    audio.samples.resize(static_cast<std::size_t>(reader.Frames()) * audio.channels);
    std::int64_t got = reader.Read(audio.samples.data(), reader.Frames());
    audio.samples.resize(static_cast<std::size_t>(got) * audio.channels);
    return audio;
}

AudioData Sine(int channels, int sampleRate, std::size_t frames, double frequency, double amplitude,
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

std::string QuoteForShell(const std::string& arg) {
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

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SameAudio(const std::filesystem::path& a, const std::filesystem::path& b) {
    return DiffAudioFiles(a, b, 0.0).Within(0.0);
}

std::string ShellQuoted(const std::string& word) {
    return QuoteForShell(word);
}

CommandResult RunHostExecutable(const std::vector<std::string>& args,
                                const std::vector<std::string>& prefix) {
    TempDir capture;
    std::string command;
    for (const auto& p : prefix)
        command += QuoteForShell(p) + ' ';
    command += QuoteForShell(HOST_EXECUTABLE);
    for (const auto& a : args) {
        command += ' ';
        command += QuoteForShell(a);
    }
    command += " </dev/null >";
    command += QuoteForShell((capture / "out").string());
    command += " 2>";
    command += QuoteForShell((capture / "err").string());
    int status = std::system(command.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(capture / "out");
    result.err = Slurp(capture / "err");
    return result;
}

} // namespace vhost::test
