#include "vst/plug_vst.h"

#include "editor/plug_editor.h"
#include "vst/callbacks.h"

namespace {
VstInt32 ArrangementType(int channels) {
    switch (channels) {
    case 0:
        return kSpeakerArrEmpty;
    case 1:
        return kSpeakerArrMono;
    case 2:
        return kSpeakerArrStereo;
    default:
        return kSpeakerArrUserDefined;
    }
}
} // namespace

IPlugVST::IPlugVST(audioMasterCallback host, int nParams, const char* channelIOStr, int nPresets,
                   const char* effectName, const char* productName, const char* makerName,
                   int version, int uniqueId, int makerId, int latency, int midiMode,
                   bool doesChunks, bool isInstrument)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, makerName, version,
                uniqueId, makerId, latency, midiMode, doesChunks, isInstrument),
      host_(host) {
    effect_ = AEffect{};
    effect_.object = this;
    effect_.magic = kEffectMagic;
    effect_.dispatcher = vst_callbacks::Dispatcher;
    effect_.setParameter = vst_callbacks::SetParameter;
    effect_.getParameter = vst_callbacks::GetParameter;
    effect_.numPrograms = nPresets;
    effect_.numParams = nParams;
    effect_.numInputs = NInputs();
    effect_.numOutputs = NOutputs();
    effect_.uniqueID = uniqueId;
    effect_.version = VersionNumber(true);
    effect_.ioRatio = 1.0f;
    effect_.process = vst_callbacks::Process;
    effect_.processReplacing = vst_callbacks::ProcessReplacing;
    effect_.processDoubleReplacing = vst_callbacks::ProcessDoubleReplacing;
    effect_.initialDelay = latency;
    effect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (doesChunks) effect_.flags |= effFlagsProgramChunks;
    if (SupportsChannels(1, -1)) effect_.flags |= effFlagsCanMono;
    if (isInstrument) effect_.flags |= effFlagsIsSynth;

    editorRect_ = ERect{};
    inputArrangement_.numChannels = NInputs();
    inputArrangement_.type = ArrangementType(NInputs());
    outputArrangement_.numChannels = NOutputs();
    outputArrangement_.type = ArrangementType(NOutputs());

    ConnectInputs(0, NInputs(), true);
    ConnectOutputs(0, NOutputs(), true);
    SetBlockSize(1024);
}

IPlugVST::~IPlugVST() {
    DestroyEditor();
}

void IPlugVST::AttachEditor(IEditorLink* link) {
    if (!link) return;
    IPlugBase::AttachEditor(link);
    IPlugEditor* editor = EditorOf(this);
    if (!editor) return;
    // Hosts offer an editor only where one can open; elsewhere they show their own.
    if (editor->CanOpenWindow()) effect_.flags |= effFlagsHasEditor;
    OnEditorResized(editor->Width(), editor->Height());
}

void IPlugVST::OnEditorResized(int, int) {
    // Also from the window's own messages (a change of screen density), outside any request.
    PlugMutex::Guard lock(Mutex());
    IPlugEditor* editor = EditorOf(this);
    if (!editor) return;
    // The window's size: the panel at the editor's scale.
    editorRect_ = ERect{0, 0, static_cast<VstInt16>(editor->WindowHeight()),
                        static_cast<VstInt16>(editor->WindowWidth())};
    if (editor->HasWindow()) TellHostEditorSize();
}

void IPlugVST::TellHostEditorSize() {
    if (editorRect_.right == hostRect_.right && editorRect_.bottom == hostRect_.bottom) return;
    hostRect_ = editorRect_;
    if (CallHost(audioMasterCanDo, 0, 0, const_cast<char*>("sizeWindow")) > 0)
        CallHost(audioMasterSizeWindow, editorRect_.right, editorRect_.bottom);
}

void IPlugVST::SetLatency(int samples) {
    effect_.initialDelay = samples;
    IPlugBase::SetLatency(samples);
}
