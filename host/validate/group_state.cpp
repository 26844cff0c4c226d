// State: chunks set back byte for byte, and .fxp/.fxb records through the host's own
// reader and writer restoring a changed instance exactly.
#include "groups.h"
#include "host/plugin_state.h"
#include "session.h"

#include <random>

namespace vhost::validate {
namespace {

void Disturb(PluginInstance& p, std::mt19937& rng) {
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    if (p.NumPrograms() > 1)
        p.SetProgram(std::uniform_int_distribution<VstInt32>(0, p.NumPrograms() - 1)(rng));
    for (VstInt32 i = 0; i < p.NumParams(); ++i)
        p.SetParameter(i, value(rng));
}

std::string FirstDifference(const std::vector<std::uint8_t>& a,
                            const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size())
        return std::to_string(a.size()) + " bytes became " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return "bytes differ from offset " + std::to_string(i);
    return {};
}

void ChunkTest(Probe& probe, PluginInstance& p, bool program, std::mt19937& rng) {
    probe.Test(std::string("state: ") + (program ? "program" : "bank") + " chunk round trip", [&] {
        Disturb(p, rng);
        std::vector<std::uint8_t> first;
        try {
            first = p.GetChunk(program);
        } catch (const std::exception& e) {
            if (!p.HasFlag(effFlagsProgramChunks)) SkipTest("no chunks");
            throw;
        }
        Require(p.SetChunk(program, first) != 0, "the plug-in refused its own chunk");
        std::string diff = FirstDifference(first, p.GetChunk(program));
        Require(diff.empty(), "set back unchanged: " + diff);
        const VstInt32 current = p.CurrentProgram();
        Disturb(p, rng);
        // As an .fxb does: the program that was current is selected again, so
        // a bank need not explain a placeholder the changes selected.
        if (!program && p.NumPrograms() > 0) p.SetProgram(current);
        p.SetChunk(program, first);
        diff = FirstDifference(first, p.GetChunk(program));
        Require(diff.empty(), "restored after changes: " + diff);
        return std::to_string(first.size()) + " bytes";
    });
}

} // namespace

void StateGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.Plugin();
    std::mt19937 rng(settings.seed);

    ChunkTest(probe, p, true, rng);
    ChunkTest(probe, p, false, rng);
    probe.Test("state: .fxp through the host's reader and writer", [&] {
        Disturb(p, rng);
        const std::vector<std::uint8_t> saved = EncodeProgram(CaptureProgram(p));
        Disturb(p, rng);
        std::vector<std::string> warnings;
        RestoreProgram(p, DecodeProgram(saved), warnings);
        Require(warnings.empty(), warnings.empty() ? "" : warnings.front());
        std::string diff = FirstDifference(saved, EncodeProgram(CaptureProgram(p)));
        Require(diff.empty(), "restored program: " + diff);
        return std::to_string(saved.size()) + " bytes";
    });
    probe.Test("state: .fxb through the host's reader and writer", [&] {
        Disturb(p, rng);
        const std::vector<std::uint8_t> saved = EncodeBank(CaptureBank(p));
        Disturb(p, rng);
        std::vector<std::string> warnings;
        RestoreBank(p, DecodeBank(saved), warnings);
        Require(warnings.empty(), warnings.empty() ? "" : warnings.front());
        std::string diff = FirstDifference(saved, EncodeBank(CaptureBank(p)));
        Require(diff.empty(), "restored bank: " + diff);
        return std::to_string(saved.size()) + " bytes";
    });
}

} // namespace vhost::validate
