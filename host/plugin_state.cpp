#include "host/plugin_state.h"

#include "host/command_errors.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vhost {
namespace {

void CheckIdentity(PluginInstance& plugin, VstInt32 fxId, const char* what) {
    if (fxId != plugin.Effect().uniqueID)
        throw HostError(std::string("the ") + what + " belongs to the effect with id '" +
                        FourCcText(fxId) + "', not to this one ('" +
                        FourCcText(plugin.Effect().uniqueID) + "')");
}

FxProgram ReadParameters(PluginInstance& plugin) {
    FxProgram p;
    p.fxId = plugin.Effect().uniqueID;
    p.fxVersion = plugin.Effect().version;
    p.name = plugin.ProgramName();
    p.numParams = plugin.NumParams();
    p.params.reserve(static_cast<std::size_t>(p.numParams));
    for (VstInt32 i = 0; i < p.numParams; ++i)
        p.params.push_back(plugin.GetParameter(i));
    return p;
}

void WriteParameters(PluginInstance& plugin, const FxProgram& program,
                     std::vector<std::string>& warnings) {
    auto count = static_cast<VstInt32>(
        std::min<std::size_t>(program.params.size(), static_cast<std::size_t>(plugin.NumParams())));
    if (program.params.size() != static_cast<std::size_t>(plugin.NumParams()))
        warnings.push_back("program '" + program.name + "' holds " +
                           std::to_string(program.params.size()) + " values for " +
                           std::to_string(plugin.NumParams()) + " parameters; set the first " +
                           std::to_string(count));
    // A value that is not a number would pass the clamp and end up in the plug-in and in
    // every file saved from it: the record is refused before anything is set.
    for (VstInt32 i = 0; i < count; ++i)
        if (!std::isfinite(program.params[static_cast<std::size_t>(i)]))
            throw HostError("program '" + program.name +
                            "' holds a value that is not a finite "
                            "number for parameter " +
                            std::to_string(i));
    for (VstInt32 i = 0; i < count; ++i)
        plugin.SetParameter(i, std::clamp(program.params[static_cast<std::size_t>(i)], 0.0f, 1.0f));
    plugin.SetProgramName(program.name);
}

bool EndsWithFxb(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".fxb";
}

} // namespace

FxProgram CaptureProgram(PluginInstance& plugin) {
    if (!plugin.HasFlag(effFlagsProgramChunks)) return ReadParameters(plugin);
    FxProgram p;
    p.fxId = plugin.Effect().uniqueID;
    p.fxVersion = plugin.Effect().version;
    p.name = plugin.ProgramName();
    p.numParams = plugin.NumParams();
    p.opaque = true;
    p.chunk = plugin.GetChunk(true);
    return p;
}

FxBank CaptureBank(PluginInstance& plugin) {
    FxBank b;
    b.version = 2;
    b.fxId = plugin.Effect().uniqueID;
    b.fxVersion = plugin.Effect().version;
    b.currentProgram = plugin.CurrentProgram();
    b.numPrograms = plugin.NumPrograms();
    if (plugin.HasFlag(effFlagsProgramChunks)) {
        b.opaque = true;
        b.chunk = plugin.GetChunk(false);
        return b;
    }
    const VstInt32 current = b.currentProgram;
    for (VstInt32 i = 0; i < b.numPrograms; ++i) {
        if (i != current) plugin.SetProgram(i);
        b.programs.push_back(ReadParameters(plugin));
        if (i != current) plugin.SetProgram(current);
    }
    return b;
}

void RestoreProgram(PluginInstance& plugin, const FxProgram& program,
                    std::vector<std::string>& warnings) {
    CheckIdentity(plugin, program.fxId, "program file");
    if (program.opaque) {
        if (!plugin.HasFlag(effFlagsProgramChunks))
            throw HostError("the program file holds a chunk, but this plug-in does not take "
                            "chunks");
        if (!plugin.SetChunk(true, program.chunk))
            throw HostError("the plug-in refused the program chunk");
        return;
    }
    WriteParameters(plugin, program, warnings);
}

void RestoreBank(PluginInstance& plugin, const FxBank& bank, std::vector<std::string>& warnings) {
    CheckIdentity(plugin, bank.fxId, "bank file");
    if (bank.opaque) {
        if (!plugin.HasFlag(effFlagsProgramChunks))
            throw HostError("the bank file holds a chunk, but this plug-in does not take chunks");
        if (!plugin.SetChunk(false, bank.chunk))
            throw HostError("the plug-in refused the bank chunk");
        return;
    }
    auto count = static_cast<VstInt32>(std::min<std::size_t>(
        bank.programs.size(), static_cast<std::size_t>(plugin.NumPrograms())));
    if (bank.programs.size() != static_cast<std::size_t>(plugin.NumPrograms()))
        warnings.push_back("the bank holds " + std::to_string(bank.programs.size()) +
                           " programs for " + std::to_string(plugin.NumPrograms()) +
                           "; restored the first " + std::to_string(count));
    for (VstInt32 i = 0; i < count; ++i) {
        plugin.SetProgram(i);
        WriteParameters(plugin, bank.programs[static_cast<std::size_t>(i)], warnings);
    }
    // A plug-in with no programs has no current one to select.
    if (plugin.NumPrograms() <= 0) return;
    VstInt32 current = bank.version >= 2 ? bank.currentProgram : 0;
    if (current < 0 || current >= plugin.NumPrograms()) {
        warnings.push_back("the bank's current program " + std::to_string(current) +
                           " is out of range; selected program 0");
        current = 0;
    }
    plugin.SetProgram(current);
}

std::string LoadStateFile(PluginInstance& plugin, const std::filesystem::path& path,
                          std::vector<std::string>& warnings) {
    std::vector<std::uint8_t> bytes = ReadBinaryFile(path);
    try {
        if (DetectFxKind(bytes) == FxKind::Bank) {
            RestoreBank(plugin, DecodeBank(bytes), warnings);
            return "bank";
        }
        RestoreProgram(plugin, DecodeProgram(bytes), warnings);
        return "program";
    } catch (const HostError& e) {
        throw HostError(path.string() + ": " + e.what());
    }
}

StateFile CaptureStateFile(PluginInstance& plugin, const std::filesystem::path& name) {
    if (EndsWithFxb(name)) return {"bank", EncodeBank(CaptureBank(plugin))};
    return {"program", EncodeProgram(CaptureProgram(plugin))};
}

} // namespace vhost
