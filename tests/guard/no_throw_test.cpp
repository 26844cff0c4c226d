// Nothing thrown inside the plug-in reaches the host: an allocation failing anywhere in
// construction, in a dispatcher request or in a callback gives the interface's failure
// answer (no instance, 0, silence) instead.
#include "failing_new.h"
#include "vst/aeffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

namespace {
VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    static VstTimeInfo time{};
    if (opcode == audioMasterVersion) return kVstVersion;
    if (opcode == audioMasterGetTime) {
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.flags = kVstTempoValid;
        return reinterpret_cast<VstIntPtr>(&time);
    }
    if (opcode == audioMasterGetProductString && ptr) static_cast<char*>(ptr)[0] = 0;
    return 0;
}

VstIntPtr Call(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
               void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

AEffect* OpenEffect() {
    AEffect* e = VSTPluginMain(Host);
    if (!e) return nullptr;
    Call(e, effOpen);
    Call(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Call(e, effSetBlockSize, 0, 256);
    Call(e, effMainsChanged, 0, 1);
    return e;
}
} // namespace

// Fails the first, second, ... allocation of building an instance until one is built
// without reaching the failure: every attempt gives an instance or none, never a throw.
// (Some failures are absorbed on the way: the instance then still answers and closes.)
TEST(NoThrow, ConstructionFailingAtEveryAllocation) {
    int failures = 0;
    for (long n = 0;; ++n) {
        AEffect* e = nullptr;
        FailAllocationAfter(n);
        EXPECT_NO_THROW(e = VSTPluginMain(Host)) << "allocation " << n;
        const bool fired = DisarmFailure();
        if (e) {
            EXPECT_EQ(e->magic, kEffectMagic);
            EXPECT_NO_THROW(Call(e, effOpen));
            Call(e, effClose);
        }
        if (!fired) break;
        ++failures;
    }
    EXPECT_GT(failures, 10); // the sweep reached into the effect's construction
}

// Every dispatcher request, with the first and the second allocation inside it failing.
TEST(NoThrow, EveryDispatcherRequestUnderFailingAllocation) {
    AEffect* e = OpenEffect();
    ASSERT_NE(e, nullptr);
    std::vector<char> buffer(4096);
    for (VstInt32 opcode = 2; opcode < 80; ++opcode) {
        if (opcode == effEditOpen || opcode == effEditClose) continue; // windows: elsewhere
        for (long n : {0L, 1L}) {
            std::fill(buffer.begin(), buffer.end(), 0);
            FailAllocationAfter(n);
            EXPECT_NO_THROW(Call(e, opcode, 0, 0, buffer.data(), 0.0f)) << opcode;
            DisarmFailure();
        }
    }
    // Still a working instance.
    EXPECT_EQ(Call(e, effGetProgram), 0);
    Call(e, effClose);
}

// An allocation failing in the audio callbacks leaves finite audio and no throw.
TEST(NoThrow, AudioCallbacksUnderFailingAllocation) {
    AEffect* e = OpenEffect();
    ASSERT_NE(e, nullptr);
    std::vector<float> in(256, 0.5f), outL(256), outR(256);
    std::vector<double> din(256, 0.5), doutL(256), doutR(256);
    float* ins[] = {in.data(), in.data()};
    float* outs[] = {outL.data(), outR.data()};
    double* dins[] = {din.data(), din.data()};
    double* douts[] = {doutL.data(), doutR.data()};
    for (long n : {0L, 1L, 2L}) {
        FailAllocationAfter(n);
        EXPECT_NO_THROW(e->processReplacing(e, ins, outs, 256));
        EXPECT_NO_THROW(e->processDoubleReplacing(e, dins, douts, 256));
        EXPECT_NO_THROW(e->setParameter(e, 0, 0.3f));
        EXPECT_NO_THROW(e->getParameter(e, 0));
        DisarmFailure();
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(std::isfinite(outL[i]) && std::isfinite(doutR[i]));
    }
    Call(e, effClose);
}
