// Presets and the state chunks exchanged with the host.
#include "core/plug_base.h"

#include <cstdio>
#include <cstring>
#include <string>

bool IPlugBase::SaveParams(StateChunk& chunk) {
    PlugMutex::Guard lock(mutex_);
    bool ok = true;
    for (int i = 0; i < NParams(); ++i)
        ok = chunk.Put(GetParam(i)->Value()) && ok;
    return ok && (chunk.Size() > 0 || NParams() == 0);
}

int IPlugBase::LoadParams(const StateChunk& chunk, int position) {
    PlugMutex::Guard lock(mutex_);
    for (int i = 0; i < NParams() && position >= 0; ++i) {
        double v = 0.0;
        position = chunk.Get(v, position);
        GetParam(i)->SetValue(v);
    }
    NotifyAllParams();
    return position;
}

bool IPlugBase::SavePresets(StateChunk& chunk) {
    for (int i = 0; i < NPresets(); ++i) {
        const IPlugPreset& preset = *GetPreset(i);
        std::uint8_t flag = preset.initialised ? 1 : 0;
        if (!chunk.PutString(preset.name) || !chunk.Put(flag)) return false;
        if (preset.initialised && !chunk.PutBytes(preset.values.Data(), preset.values.Size()))
            return false;
    }
    return true;
}

int IPlugBase::LoadPresets(const StateChunk& chunk, int position) {
    for (int i = 0; i < NPresets() && position >= 0; ++i) {
        IPlugPreset& preset = *GetPreset(i);
        std::string name;
        bool gotName = false;
        position = chunk.GetString(name, gotName, position);
        if (gotName) CopyText(preset.name, name.c_str(), IPlugPreset::kNameSize);
        std::uint8_t flag = 0;
        const bool wasInitialised = preset.initialised;
        position = chunk.Get(flag, position);
        if (position >= 0) preset.initialised = flag != 0;
        if (preset.initialised) {
            position = LoadParams(chunk, position);
            if (position > 0) {
                preset.values.Clear();
                SaveParams(preset.values);
            } else {
                // Values cut short: a placeholder must not become a preset without values.
                preset.initialised = wasInitialised;
            }
        }
    }
    LoadPreset(currentPreset_);
    return position;
}

void IPlugBase::AddDefaultPresets(const char* name, int count) {
    for (int n = 0; n < count; ++n) {
        for (int i = 0; i < NPresets(); ++i) {
            IPlugPreset& preset = *GetPreset(i);
            if (preset.initialised) continue;
            preset.initialised = true;
            CopyText(preset.name, name ? name : "Default", IPlugPreset::kNameSize);
            SaveParams(preset.values);
            break;
        }
    }
}

void IPlugBase::AddPreset(const char* name, std::initializer_list<double> values) {
    for (int i = 0; i < NPresets(); ++i) {
        IPlugPreset& preset = *GetPreset(i);
        if (preset.initialised) continue;
        preset.initialised = true;
        CopyText(preset.name, name, IPlugPreset::kNameSize);
        // Missing values are stored as 0 so the preset always holds every parameter.
        const double* next = values.begin();
        for (int p = 0; p < NParams(); ++p) {
            double v = next != values.end() ? *next++ : 0.0;
            preset.values.Put(v);
        }
        return;
    }
}

void IPlugBase::EnsurePreset() {
    if (NPresets() > 0) return;
    auto* preset = new IPlugPreset();
    std::snprintf(preset->name, sizeof preset->name, "- %d -", 1);
    presets_.Add(preset);
    AddDefaultPresets("Default", 1);
}

void IPlugBase::StoreCurrentPreset(const char* name) {
    IPlugPreset* preset = GetPreset(currentPreset_);
    if (!preset) return;
    preset->values.Clear();
    SaveParams(preset->values);
    if (name && name[0]) CopyText(preset->name, name, IPlugPreset::kNameSize);
}

bool IPlugBase::LoadPreset(int index) {
    IPlugPreset* preset = GetPreset(index);
    if (!preset) return false;
    bool ok;
    if (preset->initialised) {
        ok = LoadParams(preset->values, 0) > 0;
    } else {
        preset->initialised = true;
        NextUserPresetName(preset->name, IPlugPreset::kNameSize);
        preset->values.Clear();
        ok = SaveParams(preset->values);
    }
    if (ok) {
        currentPreset_ = index;
        PushParamsToEditor();
    }
    return ok;
}

const char* IPlugBase::PresetName(int index) const {
    const IPlugPreset* preset = GetPreset(index);
    return preset ? preset->name : "";
}

void IPlugBase::NextUserPresetName(char* buffer, int size) const {
    int count = 0;
    for (int i = 0; i < NPresets(); ++i)
        if (std::strstr(GetPreset(i)->name, "user preset")) ++count;
    std::snprintf(buffer, size, "%s %d", "user preset", count + 1);
}

void IPlugBase::WriteChunkHeader(StateChunk& chunk) const {
    chunk.Clear();
    chunk.Put(StateChunk::kMagic);
    chunk.Put(StateChunk::kFormatVersion);
}

int IPlugBase::WriteHostChunk(StateChunk& chunk, bool isBank) {
    WriteChunkHeader(chunk);
    bool ok;
    if (isBank) {
        StoreCurrentPreset();
        ok = SavePresets(chunk);
    } else {
        ok = SaveState(chunk);
    }
    return ok ? chunk.Size() : 0;
}

bool IPlugBase::ReadHostChunk(StateChunk& chunk, const void* data, int size, bool isBank) {
    if (!data || size < 0) size = 0;
    if (!chunk.Resize(size)) return false;
    if (size > 0) std::memcpy(chunk.Data(), data, size);

    int position = 0;
    std::int32_t version = 0, magic = 0;
    if (chunk.Get(magic, 0) >= 0 && magic == StateChunk::kMagic)
        position = chunk.Get(version, 4) >= 0 ? 8 : -1;

    if (isBank && version >= StateChunk::kFormatVersion) {
        position = LoadPresets(chunk, position);
    } else {
        position = LoadState(chunk, position);
        StoreCurrentPreset();
    }
    if (position < 0) return false;
    PushParamsToEditor();
    return true;
}
