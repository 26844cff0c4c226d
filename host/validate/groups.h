// The groups of tests a validation runs, each in a process of its own.
#pragma once

#include "probe.h"
#include "settings.h"

#include <vector>

namespace vhost::validate {

struct Group {
    const char* name;
    void (*run)(const Settings& settings, Probe& probe);
    // Not run when the open group found that the plug-in cannot be opened.
    bool needsOpenedPlugin = true;
};

const std::vector<Group>& AllGroups();

// The open group's opening tests: unless both pass, nothing else can open the plug-in.
extern const char* const kColdOpenTest;
extern const char* const kWarmOpenTest;

void OpenGroup(const Settings& settings, Probe& probe);
void QueriesGroup(const Settings& settings, Probe& probe);
void ProgramsGroup(const Settings& settings, Probe& probe);
void StateGroup(const Settings& settings, Probe& probe);
void ProcessingGroup(const Settings& settings, Probe& probe);
void AutomationGroup(const Settings& settings, Probe& probe);
void EditorGroup(const Settings& settings, Probe& probe);
void ThreadsGroup(const Settings& settings, Probe& probe);
void CallsGroup(const Settings& settings, Probe& probe);
void LifecycleGroup(const Settings& settings, Probe& probe);
void AllocationsGroup(const Settings& settings, Probe& probe);

} // namespace vhost::validate
