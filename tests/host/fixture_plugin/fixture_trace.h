// What the fixture plug-in saw of its host, read by the tests through `fixtureTrace`.
#pragma once

#include "vst/aeffect.h"

constexpr int kFixtureMaxOpcodes = 4096;

struct FixtureTrace {
    // Dispatcher opcodes in the order received (text queries included), up to the limit.
    VstInt32 opcodes[kFixtureMaxOpcodes];
    int numOpcodes;
    // Host answers collected on effOpen.
    VstIntPtr hostVersion;
    VstIntPtr hostVendorVersion;
    VstIntPtr hostCanSendTimeInfo;
    VstIntPtr hostSampleRate;
    VstIntPtr hostBlockSize;
    char hostProduct[256];
    char hostVendor[256];
    // Settings received.
    float sampleRate;
    VstIntPtr blockSize;
    // Audio calls, by callback: 0 process, 1 processReplacing, 2 processDoubleReplacing.
    int calls[3];
    long long frames;
    int maxFrames;
    bool framesOverBlock;
    bool processedWhileOff;
    // Time information from the last block, and the sample position of every block (first
    // kFixtureMaxOpcodes blocks).
    double tempo;
    double lastSamplePos;
    VstInt32 timeFlags;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    double blockPositions[kFixtureMaxOpcodes];
    int numBlockPositions;
    int instancesAlive;
    void* leaked; // the last block FIXTURE_LEAKS lost track of
};

extern "C" {
using FixtureTraceProc = FixtureTrace* (*)();
using FixtureResetProc = void (*)();
}
