// The host's .fxp/.fxb reader: any bytes decode or throw HostError, and whatever decodes
// is written back to bytes that decode to the same record.
#include "fuzz_check.h"
#include "host/command_errors.h"
#include "host/fx_file.h"

#include <cstdio>
#include <cstdlib>

namespace {
// `b` was written from `a`: a name that filled the whole field unterminated is written
// with its last character dropped, so that it ends in a terminator.
bool Same(const vhost::FxProgram& a, const vhost::FxProgram& b) {
    return a.fxId == b.fxId && a.fxVersion == b.fxVersion &&
           a.name.substr(0, vhost::kFxProgramNameBytes - 1) == b.name && a.opaque == b.opaque &&
           a.numParams == b.numParams && a.chunk == b.chunk && a.params.size() == b.params.size() &&
           std::equal(a.params.begin(), a.params.end(), b.params.begin(),
                      [](float x, float y) { return x == y || (x != x && y != y); });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16) return 0;
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        if (vhost::DetectFxKind(bytes) == vhost::FxKind::Program) {
            const vhost::FxProgram program = vhost::DecodeProgram(bytes);
            Check(Same(program, vhost::DecodeProgram(vhost::EncodeProgram(program))));
        } else {
            const vhost::FxBank bank = vhost::DecodeBank(bytes);
            const vhost::FxBank again = vhost::DecodeBank(vhost::EncodeBank(bank));
            Check(bank.version == again.version && bank.fxId == again.fxId &&
                  bank.fxVersion == again.fxVersion && bank.opaque == again.opaque &&
                  bank.numPrograms == again.numPrograms && bank.chunk == again.chunk &&
                  bank.programs.size() == again.programs.size());
            for (std::size_t i = 0; i < bank.programs.size(); ++i)
                Check(Same(bank.programs[i], again.programs[i]));
            Check(bank.version < 2 || bank.currentProgram == again.currentProgram);
        }
    } catch (const vhost::HostError&) {
        // Malformed input is reported, which is all a reader owes it.
    }
    return 0;
}
