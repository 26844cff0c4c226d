#pragma once

#include "vst/aeffect.h"
#include "vst/export.h"

// The library's entry point: one effect instance per call, or null. In-process hosts
// (tests) call it directly.
extern "C" VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback host);
