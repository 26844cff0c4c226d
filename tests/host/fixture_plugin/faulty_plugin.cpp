// A stereo effect that passes its input through and misbehaves as the environment variable
// FIXTURE_FAULT asks, to test how the host survives its plug-ins:
//   print      prints to standard output (stdio and the raw descriptor) when loaded, opened
//              and processing, as chatty plug-ins do
//   crash      raises SIGSEGV once it has processed a second of audio
//   abort      calls abort() there
//   exit       calls _exit(0) there, as if all were well
//   hang       never returns from that call
//   crash-open raises SIGSEGV in effOpen
// One parameter, "Level" (display "0.50"), so state files can be saved; category 6 (room
// effect) and no product string, for --info.
#include "vst/aeffect.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Faulty {
    AEffect effect{};
    float level = 0.5f;
    long long frames = 0;
    float sampleRate = 44100.0f;
};

std::string Fault() {
    const char* f = std::getenv("FIXTURE_FAULT");
    return f ? f : "";
}

void Chatter(const char* where) {
    if (Fault() != "print") return;
    std::printf("faulty plug-in says hello from %s\n", where);
    std::fflush(stdout);
    const std::string raw = std::string("raw bytes from ") + where + "\n";
    [[maybe_unused]] auto n = ::write(STDOUT_FILENO, raw.data(), raw.size());
}

void Misbehave() {
    const std::string f = Fault();
    if (f == "crash") std::raise(SIGSEGV);
    if (f == "abort") std::abort();
    if (f == "exit") ::_exit(0);
    if (f == "hang")
        for (;;)
            ::sleep(1);
}

Faulty* Self(AEffect* e) {
    return static_cast<Faulty*>(e->object);
}

void VSTCALLBACK ProcessReplacing(AEffect* e, float** in, float** out, VstInt32 frames) {
    Faulty* f = Self(e);
    Chatter("processReplacing");
    for (int c = 0; c < 2; ++c)
        for (VstInt32 i = 0; i < frames; ++i)
            out[c][i] = in[c][i];
    f->frames += frames;
    if (f->frames >= static_cast<long long>(f->sampleRate)) Misbehave();
}

void VSTCALLBACK Process(AEffect* e, float** in, float** out, VstInt32 frames) {
    for (int c = 0; c < 2; ++c)
        for (VstInt32 i = 0; i < frames; ++i)
            out[c][i] += in[c][i];
    Self(e)->frames += frames;
}

void VSTCALLBACK SetParameter(AEffect* e, VstInt32 index, float value) {
    if (index == 0) Self(e)->level = value;
}

float VSTCALLBACK GetParameter(AEffect* e, VstInt32 index) {
    return index == 0 ? Self(e)->level : 0.0f;
}

VstIntPtr VSTCALLBACK Dispatcher(AEffect* e, VstInt32 op, VstInt32 index, VstIntPtr, void* ptr,
                                 float opt) {
    Faulty* f = Self(e);
    switch (op) {
    case effOpen:
        Chatter("effOpen");
        if (Fault() == "crash-open") std::raise(SIGSEGV);
        return 0;
    case effClose:
        delete f;
        return 0;
    case effSetSampleRate:
        f->sampleRate = opt;
        return 0;
    case effGetParamName:
        if (index == 0 && ptr) std::strcpy(static_cast<char*>(ptr), "Level");
        return 0;
    case effGetParamDisplay:
        if (index == 0 && ptr) std::snprintf(static_cast<char*>(ptr), 8, "%.2f", f->level);
        return 0;
    case effGetEffectName:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "Faulty");
        return 1;
    case effGetVstVersion:
        return 2400;
    case effGetPlugCategory:
        return 6; // a room effect; no product string

    default:
        return 0;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    Chatter("VSTPluginMain");
    auto* f = new Faulty;
    AEffect& e = f->effect;
    e.magic = kEffectMagic;
    e.dispatcher = Dispatcher;
    e.process = Process;
    e.processReplacing = ProcessReplacing;
    e.setParameter = SetParameter;
    e.getParameter = GetParameter;
    e.numParams = 1;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing;
    e.ioRatio = 1.0f;
    e.object = f;
    e.uniqueID = 0x46617531; // 'Fau1'
    e.version = 1;
    return &e;
}
