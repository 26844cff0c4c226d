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

const std::vector<Group>& allGroups();

// The open group's opening tests: unless both pass, nothing else can open the plug-in.
extern const char* const kColdOpenTest;
extern const char* const kWarmOpenTest;

void openGroup(const Settings& settings, Probe& probe);
void queriesGroup(const Settings& settings, Probe& probe);
void programsGroup(const Settings& settings, Probe& probe);
void stateGroup(const Settings& settings, Probe& probe);
void processingGroup(const Settings& settings, Probe& probe);
void automationGroup(const Settings& settings, Probe& probe);
void editorGroup(const Settings& settings, Probe& probe);
void threadsGroup(const Settings& settings, Probe& probe);
void callsGroup(const Settings& settings, Probe& probe);
void lifecycleGroup(const Settings& settings, Probe& probe);
void allocationsGroup(const Settings& settings, Probe& probe);

} // namespace vhost::validate
