// The .fxp (one program) and .fxb (bank) preset files hosts exchange for VST 2.x effects.
// Every field is big-endian. Decoding checks every size against the bytes present and throws
// HostError on a malformed file.
#pragma once

#include "base/four_char_code.h"
#include "vst/aeffect.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vhost {

constexpr VstInt32 kFxChunkMagic = FourCharCode("CcnK");
constexpr VstInt32 kFxProgramParams = FourCharCode("FxCk");
constexpr VstInt32 kFxProgramChunk = FourCharCode("FPCh");
constexpr VstInt32 kFxBankParams = FourCharCode("FxBk");
constexpr VstInt32 kFxBankChunk = FourCharCode("FBCh");

constexpr std::size_t kFxProgramNameBytes = 28;
constexpr std::size_t kFxProgramHeaderBytes = 56; // up to and including prgName
constexpr std::size_t kFxBankHeaderBytes = 156;   // up to and including the 128 reserved bytes

struct FxProgram {
    VstInt32 fxId = 0;
    VstInt32 fxVersion = 0;
    std::string name;                // at most 27 characters are stored
    bool opaque = false;             // 'FPCh' with `chunk`, else 'FxCk' with `params`
    VstInt32 numParams = 0;          // the count field; for 'FxCk' it equals params.size()
    std::vector<float> params;       // normalised values
    std::vector<std::uint8_t> chunk; // the plug-in's own bytes
};

struct FxBank {
    VstInt32 version = 2; // 2 stores currentProgram, 1 does not
    VstInt32 fxId = 0;
    VstInt32 fxVersion = 0;
    VstInt32 currentProgram = 0;
    bool opaque = false;      // 'FBCh' with `chunk`, else 'FxBk' with `programs`
    VstInt32 numPrograms = 0; // the count field; for 'FxBk' it equals programs.size()
    std::vector<FxProgram> programs;
    std::vector<std::uint8_t> chunk;
};

enum class FxKind { Program, Bank };

std::vector<std::uint8_t> EncodeProgram(const FxProgram& program);
std::vector<std::uint8_t> EncodeBank(const FxBank& bank);

// What a file holds, from its magic numbers.
FxKind DetectFxKind(std::span<const std::uint8_t> bytes);
FxProgram DecodeProgram(std::span<const std::uint8_t> bytes);
FxBank DecodeBank(std::span<const std::uint8_t> bytes);

// A whole preset or automation file; throws HostError when it cannot be read.
std::vector<std::uint8_t> ReadBinaryFile(const std::filesystem::path& path);

// "FxCk" style text of a magic number, for messages.
std::string FourCcText(VstInt32 magic);

} // namespace vhost
