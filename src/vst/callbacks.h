#pragma once

#include "vst/aeffect.h"

// The functions the descriptor hands the host; each finds the plug-in through `object`.
// Nothing thrown inside ever reaches the host: each answers with its failure value
// (0, or silence) instead.
namespace vst_callbacks {
VstIntPtr VSTCALLBACK Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt);
void VSTCALLBACK SetParameter(AEffect* effect, VstInt32 index, float value);
float VSTCALLBACK GetParameter(AEffect* effect, VstInt32 index);
void VSTCALLBACK Process(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames);
void VSTCALLBACK ProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                  VstInt32 nFrames);
void VSTCALLBACK ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                        VstInt32 nFrames);
} // namespace vst_callbacks
