// Programs: every name readable, every program selectable, renamed and named again.
#include "groups.h"
#include "guarded_buffer.h"
#include "session.h"

#include <cstring>

namespace vhost::validate {
namespace {

std::string nameOf(PluginInstance& p, VstInt32 program) {
    VstIntPtr answered = 0;
    std::string name = guardedText(p, effGetProgramNameIndexed, program, "program name", &answered);
    if (answered) return name;
    p.setProgram(program);
    return guardedText(p, effGetProgramName, 0, "program name");
}

} // namespace

void programsGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.plugin();
    const VstInt32 count = p.numPrograms();

    probe.test("programs: list the names", [&] {
        if (count <= 0) skipTest("no programs");
        std::string first;
        for (VstInt32 i = 0; i < count; ++i) {
            std::string name = nameOf(p, i);
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
            std::string name = guardedText(p, effGetProgramName, 0, "program name");
            VstIntPtr indexed = 0;
            std::string listed =
                guardedText(p, effGetProgramNameIndexed, i, "program name", &indexed);
            require(!indexed || name == listed, "program " + std::to_string(i) + " is listed as '" +
                                                    listed + "' but selected is called '" + name +
                                                    "'");
        }
        p.setProgram(0);
        return std::string();
    });
    probe.test("programs: rename and restore", [&] {
        if (count <= 0) skipTest("no programs");
        const VstInt32 n = std::min<VstInt32>(count, 4 + 2 * settings.level);
        for (VstInt32 i = 0; i < n; ++i) {
            p.setProgram(i);
            std::string old = guardedText(p, effGetProgramName, 0, "program name");
            for (const std::string& name : {std::string("Validated ") + std::to_string(i), old}) {
                char buffer[kVstMaxProgNameLen] = {};
                std::snprintf(buffer, sizeof buffer, "%s", name.c_str());
                p.dispatch(effSetProgramName, 0, 0, buffer);
                std::string now = guardedText(p, effGetProgramName, 0, "program name");
                require(now == buffer, "program " + std::to_string(i) + " renamed '" + buffer +
                                           "' is called '" + now + "'");
            }
        }
        p.setProgram(0);
        return std::to_string(n) + " programs renamed and restored";
    });
}

} // namespace vhost::validate
