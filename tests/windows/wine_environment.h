#pragma once

// What the Windows suite is run with: the plug-in DLL, loaded once for the whole run, the
// Linux library's output for the audio scenario, and where to write the screen's picture.
#include "vst/aeffect.h"
#include "vsthost/dynamic_library.h"

#include <windows.h>

#include <memory>
#include <string>

struct WineRun {
    std::string dllPath;
    std::string referencePath;
    std::string screenshotPath;
    std::shared_ptr<vhost::DynamicLibrary> dll;
    VstPluginEntryProc entry = nullptr;     // VSTPluginMain
    VstPluginEntryProc mainEntry = nullptr; // main

    HMODULE Module() const { return static_cast<HMODULE>(dll->Handle()); }
};

// Filled by main before the tests run.
const WineRun& Suite();
