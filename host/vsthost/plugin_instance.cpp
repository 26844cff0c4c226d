#include "vsthost/plugin_instance.h"

#include "vsthost/host_error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace vhost {
namespace {

// Generous buffers: plug-ins often write more than the nominal text sizes.
constexpr std::size_t kTextBuffer = 1024;

std::string Hex(VstInt32 v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

} // namespace

const char* ProcessModeName(ProcessMode mode) noexcept {
    switch (mode) {
    case ProcessMode::Replacing:
        return "processReplacing";
    case ProcessMode::Accumulating:
        return "process";
    case ProcessMode::DoubleReplacing:
        return "processDoubleReplacing";
    }
    return "?";
}

std::unique_ptr<PluginInstance> PluginInstance::Load(const std::filesystem::path& path,
                                                     HostCallback& host, Startup startup) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw HostError("plug-in library not found: " + path.string());
    if (std::filesystem::is_directory(path, ec))
        throw HostError("plug-in path is a directory, not a library: " + path.string());
    // The loader searches library paths for a bare name; an existing file is meant here.
    return FromLibrary(std::make_shared<DynamicLibrary>(
                           path.has_parent_path() ? path : std::filesystem::path(".") / path),
                       host, startup);
}

VstPluginEntryProc PluginInstance::EntryOf(const DynamicLibrary& library) noexcept {
    void* entry = library.Symbol("VSTPluginMain");
    if (!entry) entry = library.Symbol("main");
    return reinterpret_cast<VstPluginEntryProc>(entry);
}

std::unique_ptr<PluginInstance> PluginInstance::FromLibrary(std::shared_ptr<DynamicLibrary> library,
                                                            HostCallback& host, Startup startup) {
    if (!library) throw HostError("no plug-in library");
    VstPluginEntryProc entry = EntryOf(*library);
    if (!entry)
        throw HostError(library->Path().string() +
                        " is not a VST 2.x plug-in: it exports neither VSTPluginMain nor main");
    return FromEntry(entry, host, std::move(library), startup);
}

std::unique_ptr<PluginInstance> PluginInstance::FromEntry(VstPluginEntryProc entry,
                                                          HostCallback& host,
                                                          std::shared_ptr<DynamicLibrary> library,
                                                          Startup startup) {
    if (!entry) throw HostError("no plug-in entry point");
    AEffect* effect = nullptr;
    {
        HostCallback::LoadingScope scope(host);
        effect = entry(HostCallback::Function());
    }
    if (!effect) throw HostError("the plug-in's entry point returned no effect");
    // Nothing of a descriptor with the wrong magic can be trusted, not even effClose.
    if (effect->magic != kEffectMagic)
        throw HostError("the plug-in returned a descriptor with the wrong magic " +
                        Hex(effect->magic) + " (expected 'VstP')");
    if (!effect->dispatcher) throw HostError("the plug-in's descriptor has no dispatcher");
    std::unique_ptr<PluginInstance> instance(new PluginInstance(effect, host, std::move(library)));
    instance->CheckDescriptor();
    if (startup == Startup::Open) instance->Open();
    return instance;
}

void PluginInstance::Open() {
    Dispatch(effOpen);
    CheckDescriptor();
    host_.Attach(effect_); // uniqueID may only be final after effOpen
}

PluginInstance::PluginInstance(AEffect* effect, HostCallback& host,
                               std::shared_ptr<DynamicLibrary> library)
    : library_(std::move(library)), host_(host), effect_(effect) {
    host_.Attach(effect_);
}

PluginInstance::~PluginInstance() {
    if (active_) SetActive(false);
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
    host_.Detach(effect_);
}

void PluginInstance::CheckDescriptor() const {
    const AEffect& e = *effect_;
    auto bad = [](const std::string& what, VstInt32 v) {
        throw HostError("the plug-in reports an implausible " + what + ": " + std::to_string(v));
    };
    if (e.numInputs < 0 || e.numInputs > kMaxChannels) bad("input count", e.numInputs);
    if (e.numOutputs < 0 || e.numOutputs > kMaxChannels) bad("output count", e.numOutputs);
    if (e.numParams < 0 || e.numParams > kMaxParams) bad("parameter count", e.numParams);
    if (e.numPrograms < 0 || e.numPrograms > kMaxPrograms) bad("program count", e.numPrograms);
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::Text(VstInt32 opcode, VstInt32 index, VstIntPtr value) {
    char buffer[kTextBuffer] = {};
    Dispatch(opcode, index, value, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return std::string(buffer);
}

std::string PluginInstance::EffectName() {
    return Text(effGetEffectName);
}
std::string PluginInstance::VendorString() {
    return Text(effGetVendorString);
}
std::string PluginInstance::ProductString() {
    return Text(effGetProductString);
}

std::string PluginInstance::ParamName(VstInt32 index) {
    return Text(effGetParamName, index);
}
std::string PluginInstance::ParamLabel(VstInt32 index) {
    return Text(effGetParamLabel, index);
}
std::string PluginInstance::ParamDisplay(VstInt32 index) {
    return Text(effGetParamDisplay, index);
}

float PluginInstance::GetParameter(VstInt32 index) {
    if (!effect_->getParameter || index < 0 || index >= NumParams()) return 0.0f;
    return effect_->getParameter(effect_, index);
}

void PluginInstance::SetParameter(VstInt32 index, float normalized) {
    if (!effect_->setParameter || index < 0 || index >= NumParams()) return;
    effect_->setParameter(effect_, index, normalized);
}

bool PluginInstance::String2Parameter(VstInt32 index, const std::string& text) {
    std::vector<char> buffer(std::max(text.size() + 1, kTextBuffer), '\0');
    std::memcpy(buffer.data(), text.data(), text.size());
    return Dispatch(effString2Parameter, index, 0, buffer.data()) != 0;
}

VstInt32 PluginInstance::CurrentProgram() {
    return static_cast<VstInt32>(Dispatch(effGetProgram));
}

void PluginInstance::SetProgram(VstInt32 program) {
    Dispatch(effSetProgram, 0, program);
}

std::string PluginInstance::ProgramName() {
    return Text(effGetProgramName);
}

void PluginInstance::SetProgramName(const std::string& name) {
    // Programs names are nominally 24 bytes with the terminator.
    char buffer[kVstMaxProgNameLen] = {};
    std::memcpy(buffer, name.data(), std::min(name.size(), sizeof buffer - 1));
    Dispatch(effSetProgramName, 0, 0, buffer);
}

std::optional<std::string> PluginInstance::ProgramNameIndexed(VstInt32 program) {
    char buffer[kTextBuffer] = {};
    VstIntPtr answered = Dispatch(effGetProgramNameIndexed, program, -1, buffer);
    buffer[kTextBuffer - 1] = '\0';
    if (!answered && buffer[0] == '\0') return std::nullopt;
    return std::string(buffer);
}

std::string PluginInstance::ProgramNameAt(VstInt32 program) {
    if (auto name = ProgramNameIndexed(program)) return *name;
    VstInt32 current = CurrentProgram();
    if (program == current) return ProgramName();
    SetProgram(program);
    std::string name = ProgramName();
    SetProgram(current);
    return name;
}

std::vector<std::uint8_t> PluginInstance::GetChunk(bool program) {
    void* data = nullptr;
    VstIntPtr size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        throw HostError(std::string("the plug-in gave no ") + (program ? "program" : "bank") +
                        " chunk");
    if (size > kMaxChunkBytes)
        throw HostError("the plug-in gave an implausibly large chunk (" + std::to_string(size) +
                        " bytes)");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

VstIntPtr PluginInstance::SetChunk(bool program, std::span<const std::uint8_t> data) {
    // The plug-in may keep reading the buffer until the next request: keep our own copy alive.
    chunkCopy_.assign(data.begin(), data.end());
    if (chunkCopy_.empty()) chunkCopy_.push_back(0);
    return Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(data.size()),
                    chunkCopy_.data());
}

VstIntPtr PluginInstance::CanDo(const char* question) {
    return Dispatch(effCanDo, 0, 0, const_cast<char*>(question));
}

void PluginInstance::Prepare(double sampleRate, VstInt32 blockSize) {
    host_.SetSampleRate(sampleRate);
    host_.SetBlockSize(blockSize);
    if (sampleRate_ != sampleRate) {
        Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
        sampleRate_ = sampleRate;
    }
    if (blockSize_ != blockSize) {
        Dispatch(effSetBlockSize, 0, blockSize);
        blockSize_ = blockSize;
    }
}

void PluginInstance::SetActive(bool active) {
    if (active == active_) return;
    if (active) {
        Dispatch(effMainsChanged, 0, 1);
        Dispatch(effStartProcess);
    } else {
        Dispatch(effStopProcess);
        Dispatch(effMainsChanged, 0, 0);
    }
    active_ = active;
}

bool PluginInstance::Supports(ProcessMode mode) const noexcept {
    switch (mode) {
    case ProcessMode::Replacing:
        return HasFlag(effFlagsCanReplacing) && effect_->processReplacing;
    case ProcessMode::Accumulating:
        return effect_->process != nullptr;
    case ProcessMode::DoubleReplacing:
        return HasFlag(effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing;
    }
    return false;
}

bool PluginInstance::ProcessReplacing(float** inputs, float** outputs, VstInt32 frames) {
    if (!effect_->processReplacing) return false;
    effect_->processReplacing(effect_, inputs, outputs, frames);
    return true;
}

bool PluginInstance::ProcessAccumulating(float** inputs, float** outputs, VstInt32 frames) {
    if (!effect_->process) return false;
    effect_->process(effect_, inputs, outputs, frames);
    return true;
}

bool PluginInstance::ProcessDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
    if (!effect_->processDoubleReplacing) return false;
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
    return true;
}

} // namespace vhost
