// Audio from the host: the descriptor's three callbacks on the plug-in base's processing.
#include "vst/callbacks.h"
#include "vst/plug_vst.h"

void VSTCALLBACK vst_callbacks::Process(AEffect* effect, float** inputs, float** outputs,
                                        VstInt32 nFrames) {
    if (IPlugVST* plug = IPlugVST::FromDescriptor(effect))
        plug->ProcessHostBlock<float, true>(inputs, outputs, nFrames);
}

void VSTCALLBACK vst_callbacks::ProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                                 VstInt32 nFrames) {
    if (IPlugVST* plug = IPlugVST::FromDescriptor(effect))
        plug->ProcessHostBlock<float, false>(inputs, outputs, nFrames);
}

void VSTCALLBACK vst_callbacks::ProcessDoubleReplacing(AEffect* effect, double** inputs,
                                                       double** outputs, VstInt32 nFrames) {
    if (IPlugVST* plug = IPlugVST::FromDescriptor(effect))
        plug->ProcessHostBlock<double, false>(inputs, outputs, nFrames);
}

template <typename Sample, bool kAccumulate>
void IPlugVST::ProcessHostBlock(Sample** inputs, Sample** outputs, VstInt32 nFrames) {
    if (MidiMode() != 0) {
        try {
            PlugMutex::Guard lock(Mutex());
            CallHost(audioMasterWantMidi);
        } catch (...) {
            // The block below goes on, or fails on its own.
        }
    }
    ProcessHostAudio<Sample, kAccumulate>(inputs, outputs, nFrames);
}

template void IPlugVST::ProcessHostBlock<float, true>(float**, float**, VstInt32);
template void IPlugVST::ProcessHostBlock<float, false>(float**, float**, VstInt32);
template void IPlugVST::ProcessHostBlock<double, false>(double**, double**, VstInt32);
