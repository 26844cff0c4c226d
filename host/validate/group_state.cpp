// State: chunks set back byte for byte, and .fxp/.fxb records through the host's own
// reader and writer restoring a changed instance exactly.
#include "groups.h"
#include "host/plugin_state.h"
#include "session.h"

#include <random>

namespace vhost::validate {
namespace {

void disturb(PluginInstance& p, std::mt19937& rng) {
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    if (p.numPrograms() > 1)
        p.setProgram(std::uniform_int_distribution<VstInt32>(0, p.numPrograms() - 1)(rng));
    for (VstInt32 i = 0; i < p.numParams(); ++i)
        p.setParameter(i, value(rng));
}

std::string firstDifference(const std::vector<std::uint8_t>& a,
                            const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size())
        return std::to_string(a.size()) + " bytes became " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return "bytes differ from offset " + std::to_string(i);
    return {};
}

void chunkTest(Probe& probe, PluginInstance& p, bool program, std::mt19937& rng) {
    probe.test(std::string("state: ") + (program ? "program" : "bank") + " chunk round trip", [&] {
        disturb(p, rng);
        std::vector<std::uint8_t> first;
        try {
            first = p.getChunk(program);
        } catch (const std::exception& e) {
            if (!p.hasFlag(effFlagsProgramChunks)) skipTest("no chunks");
            throw;
        }
        require(p.setChunk(program, first) != 0, "the plug-in refused its own chunk");
        std::string diff = firstDifference(first, p.getChunk(program));
        require(diff.empty(), "set back unchanged: " + diff);
        const VstInt32 current = p.currentProgram();
        disturb(p, rng);
        // As an .fxb does: the program that was current is selected again, so
        // a bank need not explain a placeholder the changes selected.
        if (!program && p.numPrograms() > 0) p.setProgram(current);
        p.setChunk(program, first);
        diff = firstDifference(first, p.getChunk(program));
        require(diff.empty(), "restored after changes: " + diff);
        return std::to_string(first.size()) + " bytes";
    });
}

} // namespace

void stateGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.plugin();
    std::mt19937 rng(settings.seed);

    chunkTest(probe, p, true, rng);
    chunkTest(probe, p, false, rng);
    probe.test("state: .fxp through the host's reader and writer", [&] {
        disturb(p, rng);
        const std::vector<std::uint8_t> saved = encodeProgram(captureProgram(p));
        disturb(p, rng);
        std::vector<std::string> warnings;
        restoreProgram(p, decodeProgram(saved), warnings);
        require(warnings.empty(), warnings.empty() ? "" : warnings.front());
        std::string diff = firstDifference(saved, encodeProgram(captureProgram(p)));
        require(diff.empty(), "restored program: " + diff);
        return std::to_string(saved.size()) + " bytes";
    });
    probe.test("state: .fxb through the host's reader and writer", [&] {
        disturb(p, rng);
        const std::vector<std::uint8_t> saved = encodeBank(captureBank(p));
        disturb(p, rng);
        std::vector<std::string> warnings;
        restoreBank(p, decodeBank(saved), warnings);
        require(warnings.empty(), warnings.empty() ? "" : warnings.front());
        std::string diff = firstDifference(saved, encodeBank(captureBank(p)));
        require(diff.empty(), "restored bank: " + diff);
        return std::to_string(saved.size()) + " bytes";
    });
}

} // namespace vhost::validate
