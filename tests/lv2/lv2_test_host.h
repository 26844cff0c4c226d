#pragma once

// An LV2 host for the tests: the built bundle's library loaded with dlopen, instances run
// block by block on generated stereo audio, with the features a host may or may not offer.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

constexpr const char* kPluginUri = VELMORANDE_LV2_URI;
constexpr int kParams = 9;
constexpr int kAudioIn = 9, kAudioOut = 11, kEventPort = 13;

class UridMap {
public:
    LV2_URID Map(const std::string& uri);
    const char* Unmap(LV2_URID id) const;
    LV2_URID_Map* Feature() { return &map_; }
    LV2_URID_Unmap* UnmapFeature() { return &unmap_; }

private:
    std::map<std::string, LV2_URID> ids_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, [](LV2_URID_Map_Handle h, const char* uri) {
                          return static_cast<UridMap*>(h)->Map(uri);
                      }};
    LV2_URID_Unmap unmap_{this, [](LV2_URID_Unmap_Handle h, LV2_URID id) {
                              return static_cast<UridMap*>(h)->Unmap(id);
                          }};
};

// Stereo audio: left and right, the same length.
struct Stereo {
    std::vector<float> left, right;
    std::size_t Frames() const { return left.size(); }
    bool operator==(const Stereo&) const = default;
};

// Bursts of two tones with a little noise, silence between them, so the delay is heard.
Stereo TestSignal(std::size_t frames, double sampleRate);

// The descriptor of the bundle's library; the library stays loaded for the process.
const LV2_Descriptor* PluginDescriptor();

// A state store of the host's: key -> value, as save() hands them over.
struct SavedState {
    struct Value {
        std::vector<std::uint8_t> data;
        LV2_URID type = 0;
        std::uint32_t flags = 0;
    };
    std::map<LV2_URID, Value> values;
};

class Lv2Instance {
public:
    struct Options {
        double sampleRate = 44100.0;
        bool map = true;
        std::optional<int> maxBlock; // given through the options feature
    };
    explicit Lv2Instance(UridMap& urids) : Lv2Instance(urids, Options{}) {}
    Lv2Instance(UridMap& urids, const Options& options);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool Valid() const { return handle_ != nullptr; }
    float& Control(int port) { return controls_[static_cast<std::size_t>(port)]; }
    // Leaves a port unconnected (null), as a host may for optional ports.
    void Disconnect(int port);
    void Activate();

    // A tempo event (time:Position with beatsPerMinute as a float) at a frame of the next
    // render, or any atom the test builds.
    void SendTempo(std::uint32_t frame, float bpm, LV2_URID bpmType = 0);
    void SendAtom(std::uint32_t frame, const std::vector<std::uint8_t>& atom);

    // Runs the whole signal in blocks of `block` frames; in place when asked (the outputs
    // then share the inputs' buffers). Events go with the first run.
    Stereo Render(const Stereo& in, std::size_t block, bool inPlace = false);

    LV2_State_Status Save(SavedState& state);
    LV2_State_Status Restore(const SavedState& state);

private:
    void ConnectEvents(std::uint32_t frames);

    UridMap& urids_;
    const LV2_Descriptor* descriptor_;
    LV2_Handle handle_ = nullptr;
    std::vector<float> controls_;
    std::vector<bool> disconnected_;
    std::vector<std::uint8_t> events_; // an atom sequence
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> pending_;
    bool active_ = false;
};

// The same audio through the VST 2.x library, as velmorande-host renders it: a program at
// a tempo, in blocks; a tempo change at a frame starts a new block there.
struct TempoChange {
    std::size_t frame;
    double bpm;
};
Stereo RenderVst(const Stereo& in, std::size_t block, int program, double tempo,
                 const std::vector<TempoChange>& changes = {}, double sampleRate = 44100.0);

// A program's values as ports take them (plain), read from the effect itself.
std::vector<float> ProgramPortValues(int program);
