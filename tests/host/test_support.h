// Helpers shared by the host tests: temporary directories, the fixture plug-ins, audio files
// and running the velmorande-host executable.
#pragma once

#include "fixture_plugin/fixture_trace.h"
#include "vsthost/dynamic_library.h"
#include "vsthost/plugin_instance.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vhost::test {

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the files in the directory, sorted.
    std::vector<std::string> Files() const { return Listed(path_); }
    static std::vector<std::string> Listed(const std::filesystem::path& directory);

private:
    std::filesystem::path path_;
};

// Keeps a fixture library loaded to read what its plug-ins saw; resets the trace on opening.
class FixtureLibrary {
public:
    explicit FixtureLibrary(const char* path);
    FixtureTrace& Trace() const;
    void Reset() const;
    // Dispatcher opcodes received, in order, leaving out those in `ignore`.
    std::vector<VstInt32> Opcodes(const std::vector<VstInt32>& ignore = {}) const;

private:
    DynamicLibrary library_;
};

struct AudioData {
    int channels = 0;
    int sampleRate = 0;
    int format = 0;
    std::vector<double> samples; // interleaved
    std::size_t Frames() const { return channels ? samples.size() / channels : 0; }
    double At(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

void WriteAudio(const std::filesystem::path& path, const AudioData& audio);
void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// The plug-in's state as the file `path` names; returns "program" or "bank".
std::string SaveState(PluginInstance& plugin, const std::filesystem::path& path);
AudioData ReadAudio(const std::filesystem::path& path);
// A sine of the given frequency and amplitude on every channel, channel c delayed c samples.
AudioData Sine(int channels, int sampleRate, std::size_t frames, double frequency, double amplitude,
               int format);

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs velmorande-host with the arguments (each quoted for the shell), standard input empty;
// `prefix` comes before it ({"env", "TMPDIR=..."}, {"setpriv", ...}).
CommandResult RunHostExecutable(const std::vector<std::string>& args,
                                const std::vector<std::string>& prefix = {});

// A word for the shell, in single quotes.
std::string ShellQuoted(const std::string& word);
// Runs a shell command; its exit status.
int Shell(const std::string& command);

// A whole file's bytes ("" when it cannot be read).
std::string Slurp(const std::filesystem::path& path);
// The same audio, sample for sample (the bytes may differ: a float WAV's PEAK chunk holds
// the time of writing).
bool SameAudio(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace vhost::test
