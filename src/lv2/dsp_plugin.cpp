// The LV2 plug-in: ports in, the effect's processing on the host's time, state as the
// effect's program chunk.
#include "lv2/lv2_plugin.h"
#include "lv2/plug_lv2.h"
#include "lv2/port_layout.h"
#include "lv2/port_values.h"
#include "lv2/time_position.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2_util.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {
// Blocks longer than the host's stated maximum, or than this when it states none, are
// processed in pieces.
constexpr int kDefaultMaxBlock = 4096;
constexpr int kLargestBlock = 1 << 16;

class Lv2Effect : public Lv2Host {
public:
    Lv2Effect(const char* uri, double sampleRate, const LV2_Feature* const* features)
        : map_(static_cast<const LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map))),
          urids_(map_), plug_(CreateLv2Plug(this)) {
        if (!plug_) return;
        layout_.params = plug_->NParams();
        params_.assign(static_cast<std::size_t>(layout_.params), nullptr);
        ownChange_.assign(static_cast<std::size_t>(layout_.params), 0);
        for (int i = 0; i < layout_.params; ++i)
            applied_.push_back(PortValue(*plug_, i)); // ports at their defaults change nothing
        if (map_) {
            chunkKey_ = map_->map(map_->handle, Lv2StateKey(uri).c_str());
            chunkType_ = map_->map(map_->handle, LV2_ATOM__Chunk);
        }
        plug_->OpenForHost();
        plug_->ChangeSampleRate(sampleRate);
        plug_->ChangeBlockSize(std::clamp(MaxBlockOption(features), 1, kLargestBlock));
    }

    ~Lv2Effect() override { SetActive(false); }

    bool Valid() const { return plug_ && layout_.params > 0; }

    void Connect(uint32_t port, void* data) {
        const int p = static_cast<int>(port);
        if (layout_.IsParam(p))
            params_[static_cast<std::size_t>(p)] = static_cast<const float*>(data);
        else if (p == layout_.AudioIn(0) || p == layout_.AudioIn(1))
            in_[p - layout_.AudioIn(0)] = static_cast<const float*>(data);
        else if (p == layout_.AudioOut(0) || p == layout_.AudioOut(1))
            out_[p - layout_.AudioOut(0)] = static_cast<float*>(data);
        else if (p == layout_.Events())
            events_ = static_cast<const LV2_Atom_Sequence*>(data);
    }

    void SetActive(bool active) {
        if (active == active_ || !plug_) return;
        active_ = active;
        plug_->ChangeActive(active);
    }

    // The effect sets a parameter itself when "Delay Time" follows a new tempo, keeping its
    // place in the range: the milliseconds change. A VST 2.x host hears of it; an LV2 host
    // cannot (input ports are the host's), so the port's value is set again and what the
    // port shows is what plays.
    void Automated(int paramIndex, double) override {
        if (layout_.IsParam(paramIndex)) ownChange_[static_cast<std::size_t>(paramIndex)] = 1;
    }

    void Run(uint32_t frames) {
        RestorePortValues();
        ApplyPorts();
        uint32_t done = 0;
        if (events_ && urids_.Mapped()) {
            // Offsets are in frames unless the sequence says otherwise; then they all count
            // as the block's start.
            const bool inFrames = events_->body.unit == 0 || events_->body.unit == urids_.frameTime;
            LV2_ATOM_SEQUENCE_FOREACH(events_, event) {
                const int64_t at = inFrames ? event->time.frames : 0;
                const auto until = static_cast<uint32_t>(std::clamp<int64_t>(at, done, frames));
                Render(done, until);
                done = until;
                ApplyTimePosition(urids_, &event->body, plug_->Time());
            }
        }
        Render(done, frames);
    }

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
        if (!map_) return LV2_STATE_ERR_NO_FEATURE;
        const std::vector<std::uint8_t> chunk = plug_->SaveProgramChunk();
        if (chunk.empty()) return LV2_STATE_ERR_UNKNOWN;
        return store(handle, chunkKey_, chunk.data(), chunk.size(), chunkType_,
                     LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    }

    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
        if (!map_) return LV2_STATE_ERR_NO_FEATURE;
        size_t size = 0;
        uint32_t type = 0, flags = 0;
        const void* data = retrieve(handle, chunkKey_, &size, &type, &flags);
        if (!data) return LV2_STATE_ERR_NO_PROPERTY;
        if (type != chunkType_) return LV2_STATE_ERR_BAD_TYPE;
        // A chunk the effect refuses leaves the sound as it was.
        return plug_->LoadProgramChunk(data, size) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
    }

private:
    int MaxBlockOption(const LV2_Feature* const* features) const {
        const auto* options = static_cast<const LV2_Options_Option*>(
            lv2_features_data(features, LV2_OPTIONS__options));
        if (!options || !map_) return kDefaultMaxBlock;
        const LV2_URID key = map_->map(map_->handle, LV2_BUF_SIZE__maxBlockLength);
        for (const LV2_Options_Option* o = options; o->key != 0; ++o) {
            if (o->key != key || !o->value) continue;
            if (o->type == urids_.atomInt && o->size == sizeof(int32_t))
                return *static_cast<const int32_t*>(o->value);
            if (o->type == urids_.atomLong && o->size == sizeof(int64_t))
                return static_cast<int>(
                    std::clamp<int64_t>(*static_cast<const int64_t*>(o->value), 1, kLargestBlock));
        }
        return kDefaultMaxBlock;
    }

    // Only a port whose value moved reaches the effect, as a host's parameter change.
    void ApplyPorts() {
        for (int i = 0; i < layout_.params; ++i) {
            const float* port = params_[static_cast<std::size_t>(i)];
            if (!port) continue;
            const float v = *port;
            float& last = applied_[static_cast<std::size_t>(i)];
            if (v == last || (std::isnan(v) && std::isnan(last))) continue;
            last = v;
            SetParameterFromPort(*plug_, i, v);
        }
    }

    void RestorePortValues() {
        for (int i = 0; i < layout_.params; ++i) {
            char& changed = ownChange_[static_cast<std::size_t>(i)];
            if (!changed) continue;
            changed = 0;
            const float port = applied_[static_cast<std::size_t>(i)];
            if (params_[static_cast<std::size_t>(i)] && PortValue(*plug_, i) != port)
                SetParameterFromPort(*plug_, i, port);
        }
    }

    void Render(uint32_t from, uint32_t to) {
        if (from >= to) return;
        if (plug_->Time().tempo != tempoSeen_) {
            // The effect takes a new tempo before any audio, and the ports hold at it.
            tempoSeen_ = plug_->Time().tempo;
            plug_->TakeTime();
            RestorePortValues();
        }
        const float* ins[kLv2Channels];
        float* outs[kLv2Channels];
        for (int c = 0; c < kLv2Channels; ++c) {
            ins[c] = in_[c] ? in_[c] + from : nullptr;
            outs[c] = out_[c] ? out_[c] + from : nullptr;
        }
        plug_->Process(ins, outs, static_cast<int>(to - from));
    }

    const LV2_URID_Map* map_;
    TimeUrids urids_;
    PortLayout layout_;
    std::vector<char> ownChange_;
    double tempoSeen_ = 0.0;
    std::vector<const float*> params_;
    std::vector<float> applied_;
    const float* in_[kLv2Channels] = {};
    float* out_[kLv2Channels] = {};
    const LV2_Atom_Sequence* events_ = nullptr;
    LV2_URID chunkKey_ = 0, chunkType_ = 0;
    bool active_ = false;
    Lv2Plug plug_; // last: it reports to the members above
};

Lv2Effect* Self(LV2_Handle handle) {
    return static_cast<Lv2Effect*>(handle);
}

// Nothing thrown may cross into the host.
LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
    if (!descriptor || !(sampleRate > 0.0) || !std::isfinite(sampleRate)) return nullptr;
    try {
        auto effect = std::make_unique<Lv2Effect>(descriptor->URI, sampleRate, features);
        return effect->Valid() ? effect.release() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
    Self(handle)->Connect(port, data);
}

void Activate(LV2_Handle handle) {
    Self(handle)->SetActive(true);
}

void Run(LV2_Handle handle, uint32_t frames) {
    Self(handle)->Run(frames);
}

void Deactivate(LV2_Handle handle) {
    Self(handle)->SetActive(false);
}

void Cleanup(LV2_Handle handle) {
    delete Self(handle);
}

LV2_State_Status SaveState(LV2_Handle handle, LV2_State_Store_Function store,
                           LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    try {
        return Self(handle)->Save(store, state);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status RestoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    try {
        return Self(handle)->Restore(retrieve, state);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const void* ExtensionData(const char* uri) {
    static const LV2_State_Interface state{SaveState, RestoreState};
    if (uri && std::string(uri) == LV2_STATE__interface) return &state;
    return nullptr;
}
} // namespace

LV2_Descriptor Lv2EffectDescriptor(const char* uri) {
    return {uri, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData};
}

std::string Lv2StateKey(const char* pluginUri) {
    return std::string(pluginUri) + "#chunk";
}

std::string Lv2PanelUri(const char* pluginUri) {
    return std::string(pluginUri) + "#panel";
}
