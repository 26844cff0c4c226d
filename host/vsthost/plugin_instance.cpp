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

std::string hex(VstInt32 v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

} // namespace

const char* processModeName(ProcessMode mode) noexcept {
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

std::unique_ptr<PluginInstance> PluginInstance::load(const std::filesystem::path& path,
                                                     HostCallback& host, Startup startup) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw HostError("plug-in library not found: " + path.string());
    if (std::filesystem::is_directory(path, ec))
        throw HostError("plug-in path is a directory, not a library: " + path.string());
    // The loader searches library paths for a bare name; an existing file is meant here.
    return fromLibrary(std::make_shared<DynamicLibrary>(
                           path.has_parent_path() ? path : std::filesystem::path(".") / path),
                       host, startup);
}

VstPluginEntryProc PluginInstance::entryOf(const DynamicLibrary& library) noexcept {
    void* entry = library.symbol("VSTPluginMain");
    if (!entry) entry = library.symbol("main");
    return reinterpret_cast<VstPluginEntryProc>(entry);
}

std::unique_ptr<PluginInstance> PluginInstance::fromLibrary(std::shared_ptr<DynamicLibrary> library,
                                                            HostCallback& host, Startup startup) {
    if (!library) throw HostError("no plug-in library");
    VstPluginEntryProc entry = entryOf(*library);
    if (!entry)
        throw HostError(library->path().string() +
                        " is not a VST 2.x plug-in: it exports neither VSTPluginMain nor main");
    return fromEntry(entry, host, std::move(library), startup);
}

std::unique_ptr<PluginInstance> PluginInstance::fromEntry(VstPluginEntryProc entry,
                                                          HostCallback& host,
                                                          std::shared_ptr<DynamicLibrary> library,
                                                          Startup startup) {
    if (!entry) throw HostError("no plug-in entry point");
    AEffect* effect = nullptr;
    {
        HostCallback::LoadingScope scope(host);
        effect = entry(HostCallback::function());
    }
    if (!effect) throw HostError("the plug-in's entry point returned no effect");
    // Nothing of a descriptor with the wrong magic can be trusted, not even effClose.
    if (effect->magic != kEffectMagic)
        throw HostError("the plug-in returned a descriptor with the wrong magic " +
                        hex(effect->magic) + " (expected 'VstP')");
    if (!effect->dispatcher) throw HostError("the plug-in's descriptor has no dispatcher");
    std::unique_ptr<PluginInstance> instance(new PluginInstance(effect, host, std::move(library)));
    instance->checkDescriptor();
    if (startup == Startup::Open) instance->open();
    return instance;
}

void PluginInstance::open() {
    dispatch(effOpen);
    checkDescriptor();
    host_.attach(effect_); // uniqueID may only be final after effOpen
}

PluginInstance::PluginInstance(AEffect* effect, HostCallback& host,
                               std::shared_ptr<DynamicLibrary> library)
    : library_(std::move(library)), host_(host), effect_(effect) {
    host_.attach(effect_);
}

PluginInstance::~PluginInstance() {
    if (active_) setActive(false);
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
    host_.detach(effect_);
}

void PluginInstance::checkDescriptor() const {
    const AEffect& e = *effect_;
    auto bad = [](const std::string& what, VstInt32 v) {
        throw HostError("the plug-in reports an implausible " + what + ": " + std::to_string(v));
    };
    if (e.numInputs < 0 || e.numInputs > kMaxChannels) bad("input count", e.numInputs);
    if (e.numOutputs < 0 || e.numOutputs > kMaxChannels) bad("output count", e.numOutputs);
    if (e.numParams < 0 || e.numParams > kMaxParams) bad("parameter count", e.numParams);
    if (e.numPrograms < 0 || e.numPrograms > kMaxPrograms) bad("program count", e.numPrograms);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index, VstIntPtr value) {
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return std::string(buffer);
}

std::string PluginInstance::effectName() {
    return text(effGetEffectName);
}
std::string PluginInstance::vendorString() {
    return text(effGetVendorString);
}
std::string PluginInstance::productString() {
    return text(effGetProductString);
}

std::string PluginInstance::paramName(VstInt32 index) {
    return text(effGetParamName, index);
}
std::string PluginInstance::paramLabel(VstInt32 index) {
    return text(effGetParamLabel, index);
}
std::string PluginInstance::paramDisplay(VstInt32 index) {
    return text(effGetParamDisplay, index);
}

float PluginInstance::getParameter(VstInt32 index) {
    if (!effect_->getParameter || index < 0 || index >= numParams()) return 0.0f;
    return effect_->getParameter(effect_, index);
}

void PluginInstance::setParameter(VstInt32 index, float normalized) {
    if (!effect_->setParameter || index < 0 || index >= numParams()) return;
    effect_->setParameter(effect_, index, normalized);
}

bool PluginInstance::string2Parameter(VstInt32 index, const std::string& text) {
    std::vector<char> buffer(std::max(text.size() + 1, kTextBuffer), '\0');
    std::memcpy(buffer.data(), text.data(), text.size());
    return dispatch(effString2Parameter, index, 0, buffer.data()) != 0;
}

VstInt32 PluginInstance::currentProgram() {
    return static_cast<VstInt32>(dispatch(effGetProgram));
}

void PluginInstance::setProgram(VstInt32 program) {
    dispatch(effSetProgram, 0, program);
}

std::string PluginInstance::programName() {
    return text(effGetProgramName);
}

void PluginInstance::setProgramName(const std::string& name) {
    // Programs names are nominally 24 bytes with the terminator.
    char buffer[kVstMaxProgNameLen] = {};
    std::memcpy(buffer, name.data(), std::min(name.size(), sizeof buffer - 1));
    dispatch(effSetProgramName, 0, 0, buffer);
}

std::optional<std::string> PluginInstance::programNameIndexed(VstInt32 program) {
    char buffer[kTextBuffer] = {};
    VstIntPtr answered = dispatch(effGetProgramNameIndexed, program, -1, buffer);
    buffer[kTextBuffer - 1] = '\0';
    if (!answered && buffer[0] == '\0') return std::nullopt;
    return std::string(buffer);
}

std::string PluginInstance::programNameAt(VstInt32 program) {
    if (auto name = programNameIndexed(program)) return *name;
    VstInt32 current = currentProgram();
    if (program == current) return programName();
    setProgram(program);
    std::string name = programName();
    setProgram(current);
    return name;
}

std::vector<std::uint8_t> PluginInstance::getChunk(bool program) {
    void* data = nullptr;
    VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        throw HostError(std::string("the plug-in gave no ") + (program ? "program" : "bank") +
                        " chunk");
    if (size > kMaxChunkBytes)
        throw HostError("the plug-in gave an implausibly large chunk (" + std::to_string(size) +
                        " bytes)");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

VstIntPtr PluginInstance::setChunk(bool program, std::span<const std::uint8_t> data) {
    // The plug-in may keep reading the buffer until the next request: keep our own copy alive.
    chunkCopy_.assign(data.begin(), data.end());
    if (chunkCopy_.empty()) chunkCopy_.push_back(0);
    return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(data.size()),
                    chunkCopy_.data());
}

VstIntPtr PluginInstance::canDo(const char* question) {
    return dispatch(effCanDo, 0, 0, const_cast<char*>(question));
}

void PluginInstance::prepare(double sampleRate, VstInt32 blockSize) {
    host_.setSampleRate(sampleRate);
    host_.setBlockSize(blockSize);
    if (sampleRate_ != sampleRate) {
        dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
        sampleRate_ = sampleRate;
    }
    if (blockSize_ != blockSize) {
        dispatch(effSetBlockSize, 0, blockSize);
        blockSize_ = blockSize;
    }
}

void PluginInstance::setActive(bool active) {
    if (active == active_) return;
    if (active) {
        dispatch(effMainsChanged, 0, 1);
        dispatch(effStartProcess);
    } else {
        dispatch(effStopProcess);
        dispatch(effMainsChanged, 0, 0);
    }
    active_ = active;
}

bool PluginInstance::supports(ProcessMode mode) const noexcept {
    switch (mode) {
    case ProcessMode::Replacing:
        return hasFlag(effFlagsCanReplacing) && effect_->processReplacing;
    case ProcessMode::Accumulating:
        return effect_->process != nullptr;
    case ProcessMode::DoubleReplacing:
        return hasFlag(effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing;
    }
    return false;
}

bool PluginInstance::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    if (!effect_->processReplacing) return false;
    effect_->processReplacing(effect_, inputs, outputs, frames);
    return true;
}

bool PluginInstance::processAccumulating(float** inputs, float** outputs, VstInt32 frames) {
    if (!effect_->process) return false;
    effect_->process(effect_, inputs, outputs, frames);
    return true;
}

bool PluginInstance::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
    if (!effect_->processDoubleReplacing) return false;
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
    return true;
}

} // namespace vhost
