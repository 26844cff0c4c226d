// Moves an effect's state between a plug-in instance and .fxp/.fxb records: through
// effGetChunk/effSetChunk when the effect keeps its state as chunks (effFlagsProgramChunks),
// through its parameters and program opcodes otherwise.
#pragma once

#include "host/fx_file.h"
#include "vsthost/plugin_instance.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vhost {

FxProgram CaptureProgram(PluginInstance& plugin);
// Selects every program in turn to read it, then selects the current one again.
FxBank CaptureBank(PluginInstance& plugin);

// Throws HostError when the record belongs to another effect or needs chunk support the
// plug-in lacks; notes smaller mismatches (parameter counts, a refused chunk) in `warnings`.
void RestoreProgram(PluginInstance& plugin, const FxProgram& program,
                    std::vector<std::string>& warnings);
void RestoreBank(PluginInstance& plugin, const FxBank& bank, std::vector<std::string>& warnings);

// Loads a .fxp or .fxb file (told apart by its contents); returns "program" or "bank".
std::string LoadStateFile(PluginInstance& plugin, const std::filesystem::path& path,
                          std::vector<std::string>& warnings);
// The state as the file a name asks for: a bank for a name ending .fxb (any case), else the
// current program.
struct StateFile {
    std::string kind; // "program" or "bank"
    std::vector<std::uint8_t> bytes;
};
StateFile CaptureStateFile(PluginInstance& plugin, const std::filesystem::path& name);

} // namespace vhost
