// One instance of a VST 2.x effect: loads the library, calls its entry point, checks the
// descriptor and wraps the dispatcher with safe text and chunk helpers and the three audio
// callbacks. The instance is opened (effOpen) on creation unless asked not to, and closed
// (effClose) on destruction.
#pragma once

#include "vst/aeffect.h"
#include "vsthost/dynamic_library.h"
#include "vsthost/host_callback.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vhost {

enum class ProcessMode { Replacing, Accumulating, DoubleReplacing };

// Whether creating an instance also opens it (effOpen), as hosts do.
enum class Startup { Open, CreateOnly };

const char* ProcessModeName(ProcessMode mode) noexcept;

// Sanity bounds on what a descriptor or a chunk may claim.
constexpr VstInt32 kMaxChannels = 256;
constexpr VstInt32 kMaxParams = 100000;
constexpr VstInt32 kMaxPrograms = 100000;
constexpr VstIntPtr kMaxChunkBytes = VstIntPtr{1} << 30;

class PluginInstance {
public:
    // Loads a library and creates one instance through VSTPluginMain (or `main`). The host
    // callback object must outlive the instance.
    static std::unique_ptr<PluginInstance>
    Load(const std::filesystem::path& path, HostCallback& host, Startup startup = Startup::Open);
    // Creates an instance from a library already loaded, kept loaded while the instance lives.
    static std::unique_ptr<PluginInstance> FromLibrary(std::shared_ptr<DynamicLibrary> library,
                                                       HostCallback& host,
                                                       Startup startup = Startup::Open);
    // Creates an instance through an entry function already in the process; `library`, if
    // given, is kept loaded for as long as the instance lives.
    static std::unique_ptr<PluginInstance> FromEntry(VstPluginEntryProc entry, HostCallback& host,
                                                     std::shared_ptr<DynamicLibrary> library = {},
                                                     Startup startup = Startup::Open);
    // The entry point a library exports: VSTPluginMain, or `main` for older plug-ins.
    static VstPluginEntryProc EntryOf(const DynamicLibrary& library) noexcept;
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect& Effect() noexcept { return *effect_; }
    const AEffect& Effect() const noexcept { return *effect_; }
    HostCallback& Host() noexcept { return host_; }

    // effOpen, for an instance created with Startup::CreateOnly; throws when the descriptor
    // is implausible afterwards.
    void Open();
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    VstInt32 NumParams() const noexcept { return effect_->numParams; }
    VstInt32 NumPrograms() const noexcept { return effect_->numPrograms; }
    VstInt32 NumInputs() const noexcept { return effect_->numInputs; }
    VstInt32 NumOutputs() const noexcept { return effect_->numOutputs; }
    bool HasFlag(VstInt32 flag) const noexcept { return (effect_->flags & flag) != 0; }
    // Throws when the descriptor's counts are no longer plausible (a plug-in may change them
    // after effOpen).
    void CheckDescriptor() const;

    std::string EffectName();
    std::string VendorString();
    std::string ProductString();

    std::string ParamName(VstInt32 index);
    std::string ParamLabel(VstInt32 index);
    std::string ParamDisplay(VstInt32 index);
    float GetParameter(VstInt32 index);
    void SetParameter(VstInt32 index, float normalized);
    // effString2Parameter; false when the plug-in does not take the text.
    bool String2Parameter(VstInt32 index, const std::string& text);

    VstInt32 CurrentProgram();
    void SetProgram(VstInt32 program);
    std::string ProgramName();
    void SetProgramName(const std::string& name);
    // effGetProgramNameIndexed, or nullopt when the plug-in does not answer it.
    std::optional<std::string> ProgramNameIndexed(VstInt32 program);
    // The name of any program; when indexed names are not supported the program is
    // selected briefly (the current one is selected again afterwards).
    std::string ProgramNameAt(VstInt32 program);

    // effGetChunk (program = true for one program, false for the bank); throws when the
    // plug-in returns no data or an implausible size.
    std::vector<std::uint8_t> GetChunk(bool program);
    // effSetChunk; the plug-in's answer (0 is failure for many, ignored by some).
    VstIntPtr SetChunk(bool program, std::span<const std::uint8_t> data);

    VstIntPtr CanDo(const char* question);

    // effSetSampleRate and effSetBlockSize, each sent when it changes.
    void Prepare(double sampleRate, VstInt32 blockSize);
    // effMainsChanged with effStartProcess/effStopProcess around processing.
    void SetActive(bool active);
    bool Active() const noexcept { return active_; }

    bool Supports(ProcessMode mode) const noexcept;

    // The audio callbacks, called as they are (buffers and counts unchecked); false when the
    // descriptor has no such callback.
    bool ProcessReplacing(float** inputs, float** outputs, VstInt32 frames);
    bool ProcessAccumulating(float** inputs, float** outputs, VstInt32 frames);
    bool ProcessDoubleReplacing(double** inputs, double** outputs, VstInt32 frames);

private:
    PluginInstance(AEffect* effect, HostCallback& host, std::shared_ptr<DynamicLibrary> library);
    std::string Text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);

    std::shared_ptr<DynamicLibrary> library_; // destroyed last: the code lives there
    HostCallback& host_;
    AEffect* effect_;
    bool active_ = false;
    std::optional<double> sampleRate_;
    std::optional<VstInt32> blockSize_;
    std::vector<std::uint8_t> chunkCopy_;
};

} // namespace vhost
