#include "host/plugin_state.h"

#include "host/command_errors.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vhost {
namespace {

void checkIdentity(PluginInstance& plugin, VstInt32 fxId, const char* what) {
    if (fxId != plugin.effect().uniqueID)
        throw HostError(std::string("the ") + what + " belongs to the effect with id '" +
                        fourCCText(fxId) + "', not to this one ('" +
                        fourCCText(plugin.effect().uniqueID) + "')");
}

FxProgram readParameters(PluginInstance& plugin) {
    FxProgram p;
    p.fxId = plugin.effect().uniqueID;
    p.fxVersion = plugin.effect().version;
    p.name = plugin.programName();
    p.numParams = plugin.numParams();
    p.params.reserve(static_cast<std::size_t>(p.numParams));
    for (VstInt32 i = 0; i < p.numParams; ++i)
        p.params.push_back(plugin.getParameter(i));
    return p;
}

void writeParameters(PluginInstance& plugin, const FxProgram& program,
                     std::vector<std::string>& warnings) {
    auto count = static_cast<VstInt32>(
        std::min<std::size_t>(program.params.size(), static_cast<std::size_t>(plugin.numParams())));
    if (program.params.size() != static_cast<std::size_t>(plugin.numParams()))
        warnings.push_back("program '" + program.name + "' holds " +
                           std::to_string(program.params.size()) + " values for " +
                           std::to_string(plugin.numParams()) + " parameters; set the first " +
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
        plugin.setParameter(i, std::clamp(program.params[static_cast<std::size_t>(i)], 0.0f, 1.0f));
    plugin.setProgramName(program.name);
}

bool endsWithFxb(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".fxb";
}

} // namespace

FxProgram captureProgram(PluginInstance& plugin) {
    if (!plugin.hasFlag(effFlagsProgramChunks)) return readParameters(plugin);
    FxProgram p;
    p.fxId = plugin.effect().uniqueID;
    p.fxVersion = plugin.effect().version;
    p.name = plugin.programName();
    p.numParams = plugin.numParams();
    p.opaque = true;
    p.chunk = plugin.getChunk(true);
    return p;
}

FxBank captureBank(PluginInstance& plugin) {
    FxBank b;
    b.version = 2;
    b.fxId = plugin.effect().uniqueID;
    b.fxVersion = plugin.effect().version;
    b.currentProgram = plugin.currentProgram();
    b.numPrograms = plugin.numPrograms();
    if (plugin.hasFlag(effFlagsProgramChunks)) {
        b.opaque = true;
        b.chunk = plugin.getChunk(false);
        return b;
    }
    const VstInt32 current = b.currentProgram;
    for (VstInt32 i = 0; i < b.numPrograms; ++i) {
        if (i != current) plugin.setProgram(i);
        b.programs.push_back(readParameters(plugin));
        if (i != current) plugin.setProgram(current);
    }
    return b;
}

void restoreProgram(PluginInstance& plugin, const FxProgram& program,
                    std::vector<std::string>& warnings) {
    checkIdentity(plugin, program.fxId, "program file");
    if (program.opaque) {
        if (!plugin.hasFlag(effFlagsProgramChunks))
            throw HostError("the program file holds a chunk, but this plug-in does not take "
                            "chunks");
        if (!plugin.setChunk(true, program.chunk))
            throw HostError("the plug-in refused the program chunk");
        return;
    }
    writeParameters(plugin, program, warnings);
}

void restoreBank(PluginInstance& plugin, const FxBank& bank, std::vector<std::string>& warnings) {
    checkIdentity(plugin, bank.fxId, "bank file");
    if (bank.opaque) {
        if (!plugin.hasFlag(effFlagsProgramChunks))
            throw HostError("the bank file holds a chunk, but this plug-in does not take chunks");
        if (!plugin.setChunk(false, bank.chunk))
            throw HostError("the plug-in refused the bank chunk");
        return;
    }
    auto count = static_cast<VstInt32>(std::min<std::size_t>(
        bank.programs.size(), static_cast<std::size_t>(plugin.numPrograms())));
    if (bank.programs.size() != static_cast<std::size_t>(plugin.numPrograms()))
        warnings.push_back("the bank holds " + std::to_string(bank.programs.size()) +
                           " programs for " + std::to_string(plugin.numPrograms()) +
                           "; restored the first " + std::to_string(count));
    for (VstInt32 i = 0; i < count; ++i) {
        plugin.setProgram(i);
        writeParameters(plugin, bank.programs[static_cast<std::size_t>(i)], warnings);
    }
    // A plug-in with no programs has no current one to select.
    if (plugin.numPrograms() <= 0) return;
    VstInt32 current = bank.version >= 2 ? bank.currentProgram : 0;
    if (current < 0 || current >= plugin.numPrograms()) {
        warnings.push_back("the bank's current program " + std::to_string(current) +
                           " is out of range; selected program 0");
        current = 0;
    }
    plugin.setProgram(current);
}

std::string loadStateFile(PluginInstance& plugin, const std::filesystem::path& path,
                          std::vector<std::string>& warnings) {
    std::vector<std::uint8_t> bytes = readBinaryFile(path);
    try {
        if (detectFxKind(bytes) == FxKind::Bank) {
            restoreBank(plugin, decodeBank(bytes), warnings);
            return "bank";
        }
        restoreProgram(plugin, decodeProgram(bytes), warnings);
        return "program";
    } catch (const HostError& e) {
        throw HostError(path.string() + ": " + e.what());
    }
}

StateFile captureStateFile(PluginInstance& plugin, const std::filesystem::path& name) {
    if (endsWithFxb(name)) return {"bank", encodeBank(captureBank(plugin))};
    return {"program", encodeProgram(captureProgram(plugin))};
}

} // namespace vhost
