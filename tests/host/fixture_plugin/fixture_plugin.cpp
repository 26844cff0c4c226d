// A small gain effect used as a test fixture for the host: two parameters ("Gain" in percent,
// "Invert" off/on), three programs, stereo in and out. Compile-time switches make variants:
//   FIXTURE_CHUNKS      state as chunks (effFlagsProgramChunks)
//   FIXTURE_LEGACY      only the accumulating `process`, only the `main` entry, no
//                       effString2Parameter and no indexed program names
//   FIXTURE_NULL_ENTRY  the entry point returns no effect
//   FIXTURE_INPUTS=n    n audio inputs (default 2); outputs beyond them repeat the last one
//   FIXTURE_SYNTH       the synth flag and instrument category
//   FIXTURE_WRITES_NAN  one sample of every block longer than 8 frames is NaN
//   FIXTURE_CRASHES     crashes when asked for its vendor string
//   FIXTURE_PROGRAMS=n  n programs (default 3, at most 3)
//   FIXTURE_NO_PROGRAM_NAMES  every program name is "" and renaming is ignored
//   FIXTURE_GAIN_DB=g   g dB more gain on the output, held steady
//   FIXTURE_UNSTABLE    an unstable one-pole filter on the output: the level keeps growing
//   FIXTURE_LONG_NAME   writes a 200-byte parameter name
//   FIXTURE_CHATTY      prints to standard output when opened, to standard error when
//                       switched on or off
//   FIXTURE_HANGS_IN_OPEN  never returns from effOpen
//   FIXTURE_LEAKS       leaks 100 bytes on every effOpen
//   FIXTURE_SLOW        takes 20 ms to open and to switch on or off, as a convolution
//                       reverb loading its impulse does
#include "fixture_trace.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>

namespace {

#ifndef FIXTURE_INPUTS
#define FIXTURE_INPUTS 2
#endif
constexpr int kNumInputs = FIXTURE_INPUTS;
constexpr int kNumParams = 2;
#ifndef FIXTURE_PROGRAMS
#define FIXTURE_PROGRAMS 3
#endif
constexpr int kNumPrograms = FIXTURE_PROGRAMS;
constexpr int kStoredPrograms = 3; // the parameters live in a program even with none announced
static_assert(kNumPrograms >= 0 && kNumPrograms <= kStoredPrograms);
#ifndef FIXTURE_GAIN_DB
#define FIXTURE_GAIN_DB 0
#endif
constexpr VstInt32 kChunkMagic = 0x46584331; // 'FXC1'
constexpr VstInt32 kBankMagic = 0x46584231;  // 'FXB1'

FixtureTrace trace{};

struct Program {
    char name[24];
    float values[kNumParams];
};

struct Fixture {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    Program programs[kStoredPrograms] = {
        {"Unity", {0.5f, 0.0f}}, {"Half", {0.25f, 0.0f}}, {"Inverted", {0.5f, 1.0f}}};
    int current = 0;
    bool on = false;
    VstIntPtr blockSize = 1024;
    double feedback[2] = {}; // FIXTURE_UNSTABLE's filter state
    unsigned char chunk[4 + 4 + kStoredPrograms * sizeof(Program)] = {};
};

Fixture* Self(AEffect* e) {
    return static_cast<Fixture*>(e->object);
}

float GainOf(const Program& p) {
    const float extra = FIXTURE_GAIN_DB == 0 ? 1.0f : std::pow(10.0f, FIXTURE_GAIN_DB / 20.0f);
    return extra * p.values[0] * 2.0f * (p.values[1] >= 0.5f ? -1.0f : 1.0f);
}

void Copy(void* ptr, const std::string& text) {
    if (ptr) std::snprintf(static_cast<char*>(ptr), 64, "%s", text.c_str());
}

void ObserveTime(Fixture* f) {
    auto* info = reinterpret_cast<VstTimeInfo*>(
        f->host(&f->effect, audioMasterGetTime, 0, kVstTempoValid, nullptr, 0.0f));
    if (!info) return;
    trace.tempo = info->tempo;
    trace.lastSamplePos = info->samplePos;
    trace.timeFlags = info->flags;
    trace.timeSigNumerator = info->timeSigNumerator;
    trace.timeSigDenominator = info->timeSigDenominator;
    if (trace.numBlockPositions < kFixtureMaxOpcodes)
        trace.blockPositions[trace.numBlockPositions++] = info->samplePos;
}

template <typename T> void Run(AEffect* e, T** in, T** out, VstInt32 frames, bool add, int kind) {
    Fixture* f = Self(e);
    ++trace.calls[kind];
    trace.frames += frames;
    trace.maxFrames = std::max(trace.maxFrames, static_cast<int>(frames));
    if (frames > f->blockSize) trace.framesOverBlock = true;
    if (!f->on) trace.processedWhileOff = true;
    ObserveTime(f);
    const T gain = static_cast<T>(GainOf(f->programs[f->current]));
    for (int c = 0; c < 2; ++c) {
        const T* source = kNumInputs > 0 ? in[std::min(c, kNumInputs - 1)] : nullptr;
        for (VstInt32 i = 0; i < frames; ++i)
            out[c][i] = (add ? out[c][i] : T(0)) + (source ? gain * source[i] : T(0));
    }
#ifdef FIXTURE_WRITES_NAN
    if (frames > 8) out[1][frames / 2] = std::numeric_limits<T>::quiet_NaN();
#endif
#ifdef FIXTURE_UNSTABLE
    // A pole just outside the unit circle: slow enough to stay finite for seconds.
    for (int c = 0; c < 2; ++c)
        for (VstInt32 i = 0; i < frames; ++i)
            out[c][i] = static_cast<T>(f->feedback[c] = out[c][i] + 1.0005 * f->feedback[c]);
#endif
}

void VSTCALLBACK Process(AEffect* e, float** in, float** out, VstInt32 n) {
    Run(e, in, out, n, true, 0);
}
#ifndef FIXTURE_LEGACY
void VSTCALLBACK ProcessReplacing(AEffect* e, float** in, float** out, VstInt32 n) {
    Run(e, in, out, n, false, 1);
}
void VSTCALLBACK ProcessDouble(AEffect* e, double** in, double** out, VstInt32 n) {
    Run(e, in, out, n, false, 2);
}
#endif

void VSTCALLBACK SetParameter(AEffect* e, VstInt32 index, float value) {
    if (index >= 0 && index < kNumParams)
        Self(e)->programs[Self(e)->current].values[index] = std::clamp(value, 0.0f, 1.0f);
}

float VSTCALLBACK GetParameter(AEffect* e, VstInt32 index) {
    return index >= 0 && index < kNumParams ? Self(e)->programs[Self(e)->current].values[index]
                                            : 0.0f;
}

std::string Display(const Program& p, VstInt32 index) {
    char text[32];
    if (index == 0)
        std::snprintf(text, sizeof text, "%.1f", p.values[0] * 200.0);
    else
        std::snprintf(text, sizeof text, "%s", p.values[1] >= 0.5f ? "On" : "Off");
    return text;
}

#ifndef FIXTURE_LEGACY
bool Parse(Program& p, VstInt32 index, const char* text) {
    if (index == 0) {
        char* end = nullptr;
        double v = std::strtod(text, &end);
        if (end == text || !std::isfinite(v)) return false;
        p.values[0] = static_cast<float>(std::clamp(v, 0.0, 200.0) / 200.0);
        return true;
    }
    std::string t(text);
    for (char& c : t)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "on")
        p.values[1] = 1.0f;
    else if (t == "off")
        p.values[1] = 0.0f;
    else
        return false;
    return true;
}
#endif

#ifdef FIXTURE_CHUNKS
void Put32(unsigned char* p, VstInt32 v) {
    std::memcpy(p, &v, 4);
}
VstInt32 Get32(const unsigned char* p) {
    VstInt32 v;
    std::memcpy(&v, p, 4);
    return v;
}

VstIntPtr GetChunk(Fixture* f, bool program, void** out) {
    if (!out) return 0;
    std::size_t size = 0;
    if (program) {
        Put32(f->chunk, kChunkMagic);
        std::memcpy(f->chunk + 4, &f->programs[f->current], sizeof(Program));
        size = 4 + sizeof(Program);
    } else {
        Put32(f->chunk, kBankMagic);
        Put32(f->chunk + 4, f->current);
        std::memcpy(f->chunk + 8, f->programs, sizeof f->programs);
        size = sizeof f->chunk;
    }
    *out = f->chunk;
    return static_cast<VstIntPtr>(size);
}

VstIntPtr SetChunk(Fixture* f, bool program, const unsigned char* data, VstIntPtr size) {
    if (!data) return 0;
    if (program) {
        if (size != static_cast<VstIntPtr>(4 + sizeof(Program)) || Get32(data) != kChunkMagic)
            return 0;
        std::memcpy(&f->programs[f->current], data + 4, sizeof(Program));
        f->programs[f->current].name[23] = '\0';
        return 1;
    }
    if (size != static_cast<VstIntPtr>(sizeof f->chunk) || Get32(data) != kBankMagic) return 0;
    VstInt32 current = Get32(data + 4);
    if (current < 0 || current >= kNumPrograms) return 0;
    std::memcpy(f->programs, data + 8, sizeof f->programs);
    for (Program& p : f->programs)
        p.name[23] = '\0';
    f->current = current;
    return 1;
}
#endif

void AskHost(Fixture* f) {
    AEffect* e = &f->effect;
    trace.hostVersion = f->host(e, audioMasterVersion, 0, 0, nullptr, 0.0f);
    trace.hostVendorVersion = f->host(e, audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
    trace.hostCanSendTimeInfo =
        f->host(e, audioMasterCanDo, 0, 0, const_cast<char*>("sendVstTimeInfo"), 0.0f);
    trace.hostSampleRate = f->host(e, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f);
    trace.hostBlockSize = f->host(e, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f);
    std::memset(trace.hostProduct, 0, sizeof trace.hostProduct);
    std::memset(trace.hostVendor, 0, sizeof trace.hostVendor);
    f->host(e, audioMasterGetProductString, 0, 0, trace.hostProduct, 0.0f);
    f->host(e, audioMasterGetVendorString, 0, 0, trace.hostVendor, 0.0f);
}

VstIntPtr VSTCALLBACK Dispatcher(AEffect* e, VstInt32 op, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt) {
    Fixture* f = Self(e);
    if (trace.numOpcodes < kFixtureMaxOpcodes) trace.opcodes[trace.numOpcodes++] = op;
    Program& p = f->programs[f->current];
    switch (op) {
    case effOpen:
#ifdef FIXTURE_HANGS_IN_OPEN
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
#endif
#ifdef FIXTURE_CHATTY
        std::printf("fixture: opened\n");
#endif
#ifdef FIXTURE_SLOW
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
#endif
#ifdef FIXTURE_LEAKS
        trace.leaked = std::malloc(100);
#endif
        AskHost(f);
        return 0;
    case effClose:
        delete f;
        --trace.instancesAlive;
        return 0;
    case effSetProgram:
        if (value >= 0 && value < kNumPrograms) f->current = static_cast<int>(value);
        return 0;
    case effGetProgram:
        return f->current;
#ifdef FIXTURE_NO_PROGRAM_NAMES
    case effGetProgramName:
        Copy(ptr, "");
        return 0;
#else
    case effSetProgramName:
        if (ptr) std::snprintf(p.name, sizeof p.name, "%s", static_cast<const char*>(ptr));
        return 0;
    case effGetProgramName:
        Copy(ptr, p.name);
        return 0;
#endif
#ifndef FIXTURE_LEGACY
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kNumPrograms) return 0;
#ifdef FIXTURE_NO_PROGRAM_NAMES
        Copy(ptr, "");
        return 0;
#else
        Copy(ptr, f->programs[index].name);
        return 1;
#endif
    case effString2Parameter:
        return index >= 0 && index < kNumParams && ptr &&
               Parse(p, index, static_cast<const char*>(ptr));
#endif
    case effGetParamName:
#ifdef FIXTURE_LONG_NAME
        if (ptr) {
            std::memset(ptr, 'G', 199);
            static_cast<char*>(ptr)[199] = '\0';
            return 0;
        }
#endif
        if (index >= 0 && index < kNumParams) Copy(ptr, index == 0 ? "Gain" : "Invert");
        return 0;
    case effGetParamLabel:
        if (index >= 0 && index < kNumParams) Copy(ptr, index == 0 ? "%" : "");
        return 0;
    case effGetParamDisplay:
        if (index >= 0 && index < kNumParams) Copy(ptr, Display(p, index));
        return 0;
    case effSetSampleRate:
        trace.sampleRate = opt;
        return 0;
    case effSetBlockSize:
        trace.blockSize = value;
        f->blockSize = value;
        return 0;
    case effMainsChanged:
        f->on = value != 0;
#ifdef FIXTURE_CHATTY
        std::fprintf(stderr, "fixture: bufferSize >= 2\n");
#endif
#ifdef FIXTURE_SLOW
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
#endif
        return 0;
    case effGetEffectName:
        Copy(ptr, "Fixture Gain");
        return 1;
    case effGetVendorString:
#ifdef FIXTURE_CRASHES
        // As a stray pointer would, without undefined behaviour a sanitizer stops first.
        std::raise(SIGSEGV);
#endif
        Copy(ptr, "Velmorande Tests");
        return 1;
    case effGetProductString:
        Copy(ptr, "fixture");
        return 1;
    case effGetVendorVersion:
        return 3;
    case effGetVstVersion:
        return 2400;
    case effGetPlugCategory:
#ifdef FIXTURE_SYNTH
        return kPlugCategSynth;
#else
        return kPlugCategEffect;
#endif
    case effCanDo:
        return ptr && std::strcmp(static_cast<const char*>(ptr), "receiveVstTimeInfo") == 0 ? 1 : 0;
#ifdef FIXTURE_CHUNKS
    case effGetChunk:
        return GetChunk(f, index != 0, static_cast<void**>(ptr));
    case effSetChunk:
        return SetChunk(f, index != 0, static_cast<const unsigned char*>(ptr), value);
#endif
    default:
        return 0;
    }
}

AEffect* Create(audioMasterCallback host) {
    auto* f = new Fixture;
    ++trace.instancesAlive;
    f->host = host;
    AEffect& e = f->effect;
    e.magic = kEffectMagic;
    e.dispatcher = Dispatcher;
    e.process = Process;
    e.setParameter = SetParameter;
    e.getParameter = GetParameter;
    e.numPrograms = kNumPrograms;
    e.numParams = kNumParams;
    e.numInputs = kNumInputs;
    e.numOutputs = 2;
    e.ioRatio = 1.0f;
    e.object = f;
    e.uniqueID = 0x566D4678; // 'VmFx'
    e.version = 3;
#ifndef FIXTURE_LEGACY
    e.flags |= effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    e.processReplacing = ProcessReplacing;
    e.processDoubleReplacing = ProcessDouble;
#endif
#ifdef FIXTURE_CHUNKS
    e.flags |= effFlagsProgramChunks;
#endif
#ifdef FIXTURE_SYNTH
    e.flags |= effFlagsIsSynth;
#endif
#ifdef FIXTURE_NULL_ENTRY
    // Built and dropped again: this variant's entry point hands the host nothing.
    delete f;
    --trace.instancesAlive;
    return nullptr;
#else
    return &e;
#endif
}

} // namespace

extern "C" {

#ifdef FIXTURE_LEGACY
// Old plug-ins export only `main`, which C++ cannot declare directly.
__attribute__((visibility("default"))) AEffect*
LegacyMain(audioMasterCallback host) __asm__("main");
AEffect* LegacyMain(audioMasterCallback host) {
    return Create(host);
}
#else
__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    return Create(host);
}
#endif

__attribute__((visibility("default"))) FixtureTrace* fixtureTrace() {
    return &trace;
}
__attribute__((visibility("default"))) void fixtureResetTrace() {
    int alive = trace.instancesAlive;
    trace = FixtureTrace{};
    trace.instancesAlive = alive;
}
}
