#include "lv2/lv2_test_host.h"

#include "lv2/plug_lv2.h"
#include "lv2/port_values.h"
#include "vsthost/host_callback.h"
#include "vsthost/plugin_instance.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

LV2_URID UridMap::Map(const std::string& uri) {
    auto [it, added] = ids_.emplace(uri, static_cast<LV2_URID>(uris_.size() + 1));
    if (added) uris_.push_back(uri);
    return it->second;
}

const char* UridMap::Unmap(LV2_URID id) const {
    return id >= 1 && id <= uris_.size() ? uris_[id - 1].c_str() : nullptr;
}

Stereo TestSignal(std::size_t frames, double sampleRate) {
    Stereo s;
    s.left.resize(frames);
    s.right.resize(frames);
    std::minstd_rand noise(7);
    std::uniform_real_distribution<float> hiss(-0.02f, 0.02f);
    const auto burst = static_cast<std::size_t>(sampleRate * 0.5);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const bool on = i % burst < burst / 5;
        s.left[i] = (on ? 0.5f * static_cast<float>(std::sin(6.283185307 * 440.0 * t)) : 0.0f) +
                    hiss(noise);
        s.right[i] = on ? 0.4f * static_cast<float>(std::sin(6.283185307 * 660.0 * t)) : 0.0f;
    }
    return s;
}

const LV2_Descriptor* PluginDescriptor() {
    static const LV2_Descriptor* descriptor = [] {
        void* library = dlopen(VELMORANDE_LV2_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (!library) throw std::runtime_error(dlerror());
        auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
        if (!entry) throw std::runtime_error("no lv2_descriptor");
        return entry(0);
    }();
    return descriptor;
}

Lv2Instance::Lv2Instance(UridMap& urids, const Options& options)
    : urids_(urids), descriptor_(PluginDescriptor()), controls_(kParams),
      disconnected_(kEventPort + 1, false) {
    const int32_t maxBlock = options.maxBlock.value_or(0);
    const LV2_Options_Option option[] = {{LV2_OPTIONS_INSTANCE, 0,
                                          urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                                          urids.Map(LV2_ATOM__Int), &maxBlock},
                                         {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature mapFeature{LV2_URID__map, urids.Feature()};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(option)};
    std::vector<const LV2_Feature*> features;
    if (options.map) features.push_back(&mapFeature);
    if (options.maxBlock) features.push_back(&optionsFeature);
    features.push_back(nullptr);
    handle_ = descriptor_->instantiate(descriptor_, options.sampleRate, VELMORANDE_LV2_BUNDLE,
                                       features.data());
    if (!handle_) return;
    // The ports' defaults, as a host starts them.
    const std::vector<float> defaults = ProgramPortValues(0);
    for (int i = 0; i < kParams; ++i) {
        controls_[static_cast<std::size_t>(i)] = defaults[static_cast<std::size_t>(i)];
        descriptor_->connect_port(handle_, static_cast<uint32_t>(i), &controls_[i]);
    }
}

Lv2Instance::~Lv2Instance() {
    if (!handle_) return;
    if (active_) descriptor_->deactivate(handle_);
    descriptor_->cleanup(handle_);
}

void Lv2Instance::Disconnect(int port) {
    disconnected_[static_cast<std::size_t>(port)] = true;
    descriptor_->connect_port(handle_, static_cast<uint32_t>(port), nullptr);
}

void Lv2Instance::Activate() {
    descriptor_->activate(handle_);
    active_ = true;
}

void Lv2Instance::SendAtom(std::uint32_t frame, const std::vector<std::uint8_t>& atom) {
    pending_.emplace_back(frame, atom);
}

void Lv2Instance::SendTempo(std::uint32_t frame, float bpm, LV2_URID bpmType) {
    // A time:Position object with one property, beatsPerMinute.
    struct {
        LV2_Atom_Object_Body body;
        LV2_Atom_Property_Body property;
        float value;
    } object{};
    object.body.id = 0;
    object.body.otype = urids_.Map(LV2_TIME__Position);
    object.property.key = urids_.Map(LV2_TIME__beatsPerMinute);
    object.property.value.size = sizeof(float);
    object.property.value.type = bpmType ? bpmType : urids_.Map(LV2_ATOM__Float);
    object.value = bpm;
    LV2_Atom header{static_cast<uint32_t>(sizeof object), urids_.Map(LV2_ATOM__Object)};
    std::vector<std::uint8_t> atom(sizeof header + sizeof object);
    std::memcpy(atom.data(), &header, sizeof header);
    std::memcpy(atom.data() + sizeof header, &object, sizeof object);
    SendAtom(frame, atom);
}

void Lv2Instance::ConnectEvents(std::uint32_t frames) {
    // Sequence header, then events padded to 8 bytes.
    events_.assign(sizeof(LV2_Atom_Sequence), 0);
    for (const auto& [frame, atom] : pending_) {
        LV2_Atom_Event event{};
        event.time.frames = std::min(frame, frames);
        const std::size_t at = events_.size();
        events_.resize(at + sizeof(event.time) + lv2_atom_pad_size(atom.size()), 0);
        std::memcpy(events_.data() + at, &event.time, sizeof event.time);
        std::memcpy(events_.data() + at + sizeof event.time, atom.data(), atom.size());
    }
    pending_.clear();
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(events_.data());
    sequence->atom.type = urids_.Map(LV2_ATOM__Sequence);
    sequence->atom.size = static_cast<uint32_t>(events_.size() - sizeof(LV2_Atom));
    sequence->body.unit = 0;
    if (!disconnected_[kEventPort]) descriptor_->connect_port(handle_, kEventPort, events_.data());
}

Stereo Lv2Instance::Render(const Stereo& in, std::size_t block, bool inPlace) {
    Stereo out = in;
    Stereo source = in;
    for (std::size_t at = 0; at < in.Frames(); at += block) {
        const auto n = static_cast<uint32_t>(std::min(block, in.Frames() - at));
        ConnectEvents(n);
        float* ins[2] = {source.left.data() + at, source.right.data() + at};
        float* outs[2] = {out.left.data() + at, out.right.data() + at};
        if (inPlace) {
            std::copy_n(ins[0], n, outs[0]);
            std::copy_n(ins[1], n, outs[1]);
        }
        for (int c = 0; c < 2; ++c) {
            if (!disconnected_[static_cast<std::size_t>(kAudioIn + c)])
                descriptor_->connect_port(handle_, static_cast<uint32_t>(kAudioIn + c),
                                          inPlace ? outs[c] : ins[c]);
            if (!disconnected_[static_cast<std::size_t>(kAudioOut + c)])
                descriptor_->connect_port(handle_, static_cast<uint32_t>(kAudioOut + c), outs[c]);
        }
        descriptor_->run(handle_, n);
    }
    return out;
}

namespace {
const LV2_State_Interface* StateInterface(const LV2_Descriptor* d) {
    return static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
}
} // namespace

LV2_State_Status Lv2Instance::Save(SavedState& state) {
    auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                    uint32_t flags) {
        auto* s = static_cast<SavedState*>(h);
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        s->values[key] = {{bytes, bytes + size}, type, flags};
        return LV2_STATE_SUCCESS;
    };
    return StateInterface(descriptor_)->save(handle_, store, &state, 0, nullptr);
}

LV2_State_Status Lv2Instance::Restore(const SavedState& state) {
    auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                       uint32_t* flags) -> const void* {
        const auto* s = static_cast<const SavedState*>(h);
        auto it = s->values.find(key);
        if (it == s->values.end()) return nullptr;
        *size = it->second.data.size();
        *type = it->second.type;
        *flags = it->second.flags;
        return it->second.data.data();
    };
    return StateInterface(descriptor_)
        ->restore(handle_, retrieve, const_cast<SavedState*>(&state), 0, nullptr);
}

Stereo RenderVst(const Stereo& in, std::size_t block, int program, double tempo,
                 const std::vector<TempoChange>& changes, double sampleRate) {
    vhost::HostCallback host;
    host.SetTempo(tempo);
    auto plugin = vhost::PluginInstance::Load(VELMORANDE_PLUGIN_PATH, host);
    plugin->Prepare(sampleRate, static_cast<VstInt32>(block));
    if (program) plugin->SetProgram(program);
    plugin->SetActive(true);
    Stereo out = in;
    Stereo source = in;
    std::size_t next = 0;
    for (std::size_t at = 0; at < in.Frames();) {
        while (next < changes.size() && changes[next].frame <= at)
            host.SetTempo(changes[next++].bpm);
        std::size_t n = std::min(block, in.Frames() - at);
        if (next < changes.size()) n = std::min(n, changes[next].frame - at);
        float* ins[2] = {source.left.data() + at, source.right.data() + at};
        float* outs[2] = {out.left.data() + at, out.right.data() + at};
        plugin->ProcessReplacing(ins, outs, static_cast<VstInt32>(n));
        at += n;
    }
    return out;
}

std::vector<float> ProgramPortValues(int program) {
    const Lv2Plug plug = CreateLv2Plug(nullptr);
    plug->OpenForHost();
    plug->ChangeProgram(program);
    std::vector<float> values;
    for (int i = 0; i < plug->NParams(); ++i)
        values.push_back(PortValue(*plug, i));
    return values;
}
