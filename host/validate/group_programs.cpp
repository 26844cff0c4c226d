// Programs: every name readable, every program selectable, renamed and named again.
#include "groups.h"
#include "guarded_buffer.h"
#include "session.h"

#include <cstring>

namespace vhost::validate {
namespace {

std::string NameOf(PluginInstance& p, VstInt32 program, Probe* strict) {
    VstIntPtr answered = 0;
    std::string name = GuardedText(p, effGetProgramNameIndexed, program, &answered, strict);
    if (answered) return name;
    p.SetProgram(program);
    return GuardedText(p, effGetProgramName, 0, nullptr, strict);
}

// Names the current program as a host does, in a buffer of the interface's size; returns
// the name the plug-in reports afterwards.
std::string Rename(PluginInstance& p, const std::string& name) {
    char buffer[kVstMaxProgNameLen] = {};
    std::snprintf(buffer, sizeof buffer, "%s", name.c_str());
    p.Dispatch(effSetProgramName, 0, 0, buffer);
    return GuardedText(p, effGetProgramName);
}

} // namespace

void ProgramsGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.Plugin();
    const VstInt32 count = p.NumPrograms();

    probe.Test("programs: list the names", [&] {
        if (count <= 0) SkipTest("no programs");
        Probe* strict = settings.level >= kStrictTextLevel ? &probe : nullptr;
        std::string first;
        for (VstInt32 i = 0; i < count; ++i) {
            std::string name = NameOf(p, i, strict);
            if (i == 0) first = name;
        }
        return std::to_string(count) + " programs, first '" + first + "'";
    });
    probe.Test("programs: select each", [&] {
        if (count <= 0) SkipTest("no programs");
        for (VstInt32 i = 0; i < count; ++i) {
            p.SetProgram(i);
            VstInt32 now = p.CurrentProgram();
            Require(now == i, "selected program " + std::to_string(i) + ", the plug-in is on " +
                                  std::to_string(now));
            // Selecting may name a program (a placeholder becoming a user preset), so the
            // list is read again.
            std::string name = GuardedText(p, effGetProgramName);
            VstIntPtr indexed = 0;
            std::string listed = GuardedText(p, effGetProgramNameIndexed, i, &indexed);
            Require(!indexed || name == listed, "program " + std::to_string(i) + " is listed as '" +
                                                    listed + "' but selected is called '" + name +
                                                    "'");
        }
        p.SetProgram(0);
        return std::string();
    });
    probe.Test("programs: rename and restore", [&] {
        if (count <= 0) SkipTest("no programs");
        // Renaming is optional: a plug-in may keep fixed names (or none) and ignore it.
        const VstInt32 n = std::min<VstInt32>(count, 4 + 2 * settings.level);
        int renamed = 0, kept = 0;
        for (VstInt32 i = 0; i < n; ++i) {
            p.SetProgram(i);
            const std::string at = "program " + std::to_string(i);
            const std::string old = GuardedText(p, effGetProgramName);
            const std::string wanted = "Validated " + std::to_string(i);
            const std::string now = Rename(p, wanted);
            if (now == old) {
                ++kept;
                continue;
            }
            Require(now == wanted, at + " renamed '" + wanted + "' is called '" + now + "'");
            ++renamed;
            // An empty name may be refused like any other; only a real name must come back.
            const std::string back = Rename(p, old);
            Require(old.empty() || back == old,
                    at + " named '" + old + "' again is called '" + back + "'");
        }
        p.SetProgram(0);
        if (renamed == 0)
            SkipTest("the plug-in keeps its program names: none of " + std::to_string(n) +
                     " changed when renamed");
        return std::to_string(renamed) + " programs renamed and restored" +
               (kept ? ", " + std::to_string(kept) + " keep their names" : "");
    });
}

} // namespace vhost::validate
