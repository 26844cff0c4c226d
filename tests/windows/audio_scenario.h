#pragma once

// One fixed sequence of host calls and audio, rendered through the plug-in library on each
// platform: the Linux library's output is the reference the Windows DLL is held to.
#include "vst/aeffect.h"

#include <string>
#include <vector>

struct AudioStream {
    std::string name;
    std::vector<double> samples;
};

// Creates instances through the entry point (vhost::HostError when it gives none), drives
// them through the three audio callbacks with parameter, program and tempo changes, closes
// them, and answers every output channel of every callback.
std::vector<AudioStream> RenderAudioScenario(VstPluginEntryProc entry);

bool WriteStreams(const char* path, const std::vector<AudioStream>& streams);
bool ReadStreams(const char* path, std::vector<AudioStream>& streams);
