// Programs: every name readable, every program selectable, renamed and named again.
#include "groups.h"
#include "guarded_buffer.h"
#include "session.h"

#include <cstring>

namespace vhost::validate {
namespace {

std::string nameOf(PluginInstance& p, VstInt32 program, Probe* strict) {
    VstIntPtr answered = 0;
    std::string name = guardedText(p, effGetProgramNameIndexed, program, &answered, strict);
    if (answered) return name;
    p.setProgram(program);
    return guardedText(p, effGetProgramName, 0, nullptr, strict);
}

// Names the current program as a host does, in a buffer of the interface's size; returns
// the name the plug-in reports afterwards.
std::string rename(PluginInstance& p, const std::string& name) {
    char buffer[kVstMaxProgNameLen] = {};
    std::snprintf(buffer, sizeof buffer, "%s", name.c_str());
    p.dispatch(effSetProgramName, 0, 0, buffer);
    return guardedText(p, effGetProgramName);
}

} // namespace

void programsGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.plugin();
    const VstInt32 count = p.numPrograms();

    probe.test("programs: list the names", [&] {
        if (count <= 0) skipTest("no programs");
        Probe* strict = settings.level >= kStrictTextLevel ? &probe : nullptr;
        std::string first;
        for (VstInt32 i = 0; i < count; ++i) {
            std::string name = nameOf(p, i, strict);
            if (i == 0) first = name;
        }
        return std::to_string(count) + " programs, first '" + first + "'";
    });
    probe.test("programs: select each", [&] {
        if (count <= 0) skipTest("no programs");
        for (VstInt32 i = 0; i < count; ++i) {
            p.setProgram(i);
            VstInt32 now = p.currentProgram();
            require(now == i, "selected program " + std::to_string(i) + ", the plug-in is on " +
                                  std::to_string(now));
            // Selecting may name a program (a placeholder becoming a user preset), so the
            // list is read again.
            std::string name = guardedText(p, effGetProgramName);
            VstIntPtr indexed = 0;
            std::string listed = guardedText(p, effGetProgramNameIndexed, i, &indexed);
            require(!indexed || name == listed, "program " + std::to_string(i) + " is listed as '" +
                                                    listed + "' but selected is called '" + name +
                                                    "'");
        }
        p.setProgram(0);
        return std::string();
    });
    probe.test("programs: rename and restore", [&] {
        if (count <= 0) skipTest("no programs");
        // Renaming is optional: a plug-in may keep fixed names (or none) and ignore it.
        const VstInt32 n = std::min<VstInt32>(count, 4 + 2 * settings.level);
        int renamed = 0, kept = 0;
        for (VstInt32 i = 0; i < n; ++i) {
            p.setProgram(i);
            const std::string at = "program " + std::to_string(i);
            const std::string old = guardedText(p, effGetProgramName);
            const std::string wanted = "Validated " + std::to_string(i);
            const std::string now = rename(p, wanted);
            if (now == old) {
                ++kept;
                continue;
            }
            require(now == wanted, at + " renamed '" + wanted + "' is called '" + now + "'");
            ++renamed;
            // An empty name may be refused like any other; only a real name must come back.
            const std::string back = rename(p, old);
            require(old.empty() || back == old,
                    at + " named '" + old + "' again is called '" + back + "'");
        }
        p.setProgram(0);
        if (renamed == 0)
            skipTest("the plug-in keeps its program names: none of " + std::to_string(n) +
                     " changed when renamed");
        return std::to_string(renamed) + " programs renamed and restored" +
               (kept ? ", " + std::to_string(kept) + " keep their names" : "");
    });
}

} // namespace vhost::validate
