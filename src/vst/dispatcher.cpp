// The host's requests through the descriptor's dispatcher.
#include "bitmap/pixel_bitmap.h"
#include "editor/plug_editor.h"
#include "vst/callbacks.h"
#include "vst/editor_picture.h"
#include "vst/plug_vst.h"
#include "vst/vendor_codes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
// Hosts are expected to hand large enough buffers, but a host-set program name can
// hold 255 characters: never write more than a host buffer can be relied on to hold.
constexpr int kHostTextSize = 64;

void CopyToHost(void* ptr, const char* text) {
    CopyText(static_cast<char*>(ptr), text, kHostTextSize);
}
} // namespace

VstIntPtr VSTCALLBACK vst_callbacks::Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                VstIntPtr value, void* ptr, float opt) {
    IPlugVST* plug = IPlugVST::FromDescriptor(effect);
    if (!plug) return 0;
    if (opcode == effClose) {
        // The lock dies with the object: wait for any holder, then delete outside it.
        plug->Mutex().Enter();
        plug->Mutex().Leave();
        delete plug;
        return 0;
    }
    try {
        return plug->Dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

void VSTCALLBACK vst_callbacks::SetParameter(AEffect* effect, VstInt32 index, float value) {
    IPlugVST* plug = IPlugVST::FromDescriptor(effect);
    if (!plug) return;
    try {
        plug->SetParameterFromHost(index, value);
    } catch (...) {
    }
}

float VSTCALLBACK vst_callbacks::GetParameter(AEffect* effect, VstInt32 index) {
    IPlugVST* plug = IPlugVST::FromDescriptor(effect);
    if (!plug) return 0.0f;
    try {
        return plug->GetParameterForHost(index);
    } catch (...) {
        return 0.0f;
    }
}

VstIntPtr IPlugVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    PlugMutex::Guard lock(Mutex());
    IPlugEditor* editor = EditorOf(this);
    switch (opcode) {
    case effOpen:
        OpenForHost();
        return 0;
    case effSetSampleRate:
        ChangeSampleRate(opt);
        return 0;
    case effSetBlockSize:
        ChangeBlockSize(value);
        return 0;
    case effMainsChanged:
        ChangeActive(value != 0);
        return 0;
    case effIdentify:
        return kIdentifyAnswer;
    case effProcessEvents:
        if (!ptr) return 0;
        ProcessEvents(static_cast<const VstEvents*>(ptr));
        return 1;
    case effSetSpeakerArrangement:
        SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                              static_cast<const VstSpeakerArrangement*>(ptr));
        return 1;
    case effGetVstVersion:
        return kVstVersion;

    case effSetProgram:
        ChangeProgram(value);
        return 0;
    case effGetProgram:
        return CurrentPreset();
    case effSetProgramName:
        if (ptr) StoreCurrentPreset(static_cast<const char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr) CopyToHost(ptr, PresetName(CurrentPreset()));
        return 0;
    case effGetProgramNameIndexed:
        if (!ptr) return 0;
        CopyToHost(ptr, PresetName(index));
        return PresetName(index)[0] ? 1 : 0;
    case effGetChunk: {
        if (!ptr) return 0;
        StateChunk& chunk = index == 0 ? bankChunk_ : programChunk_;
        int size = WriteHostChunk(chunk, index == 0);
        if (size <= 0) return 0;
        *static_cast<void**>(ptr) = chunk.Data();
        return size;
    }
    case effSetChunk: {
        if (!ptr || value < 0 || value > 0x7FFFFFFF) return 0;
        StateChunk& chunk = index == 0 ? bankChunk_ : programChunk_;
        return ReadHostChunk(chunk, ptr, static_cast<int>(value), index == 0) ? 1 : 0;
    }

    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effString2Parameter:
        return DispatchParameter(opcode, index, ptr);
    case effCanBeAutomated:
        return 1;

    case effEditGetRect:
        if (!ptr || !editor) return 0;
        // Sized for the screen it is going to: the desktop's scale may have changed since.
        editor->RefreshScale();
        hostRect_ = editorRect_;
        *static_cast<ERect**>(ptr) = &editorRect_;
        return 1;
    case effEditOpen:
        if (!OpenEditor(ptr)) return 0;
        // The window may have found its screen of another scale than the host was told.
        TellHostEditorSize();
        return 1;
    case effEditClose:
        return CloseEditor() ? 1 : 0;
    case effEditIdle:
        IdleEditor();
        return 0;

    case effGetInputProperties:
        return PinProperties(true, index, ptr);
    case effGetOutputProperties:
        return PinProperties(false, index, ptr);
    case effGetPlugCategory:
        return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effGetEffectName:
        if (!ptr) return 0;
        CopyToHost(ptr, EffectName());
        return 1;
    case effGetVendorString:
        if (!ptr) return 0;
        CopyToHost(ptr, MakerName());
        return 1;
    case effGetProductString:
        if (!ptr) return 0;
        CopyToHost(ptr, ProductName());
        return 1;
    case effGetVendorVersion:
        return VersionNumber(true);
    case effVendorSpecific:
        return DispatchVendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return CanDo(static_cast<const char*>(ptr));
    case effGetMidiKeyName: {
        if (!ptr) return 0;
        auto* key = static_cast<MidiKeyName*>(ptr);
        key->keyName[0] = '\0';
        return GetMidiNoteName(key->thisKeyNumber, key->keyName) ? 1 : 0;
    }
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
        return 1;
    default:
        return 0;
    }
}

VstIntPtr IPlugVST::DispatchParameter(VstInt32 opcode, VstInt32 index, void* ptr) {
    IPlugParam* param = GetParam(index);
    if (!param) return 0;
    switch (opcode) {
    case effGetParamLabel:
        if (ptr) CopyToHost(ptr, param->Label());
        return 0;
    case effGetParamDisplay:
        if (ptr) CopyToHost(ptr, param->FormatValue(param->Value(), false).c_str());
        return 0;
    case effGetParamName:
        if (ptr) CopyToHost(ptr, param->Name());
        return 0;
    case effString2Parameter:
        if (ptr) {
            const double v = param->ParseValue(static_cast<const char*>(ptr));
            if (IEditorLink* link = GetEditor()) link->PushValueToControls(index, v, false);
            param->SetValue(v);
            OnParamChanged(index);
        }
        return 1;
    default:
        return 0;
    }
}

VstIntPtr IPlugVST::DispatchVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    const bool validParam = value >= 0 && value < NParams();
    IPlugParam* param = validParam ? GetParam(static_cast<int>(value)) : nullptr;
    switch (index) {
    case kVendorValueDisplay:
        if (!ptr) return 0;
        if (param) CopyToHost(ptr, param->FormatValue(opt, true).c_str());
        return kVendorHandled;
    case kVendorIsSwitch:
        if (!param) return 0;
        if (param->Type() == ParamIntegerReserved) return kVendorHandled;
        if ((param->Type() == ParamInteger || param->Type() == ParamChoice) &&
            std::fabs(param->Max() - param->Min()) < 1.5)
            return kVendorHandled;
        return 0;
    case kVendorTextValue: {
        if (!ptr || !param) return 0;
        auto* text = static_cast<char*>(ptr);
        if (text[0]) {
            const double x = param->ToNormalized(param->ParseValue(text));
            std::snprintf(text, kHostTextSize, "%.17f", x);
        }
        return kVendorHandled;
    }
    case kEditorPictureRequest:
        return DrawEditorPicture(static_cast<EditorPicture*>(ptr), opt);
    case kVendorPreSonus:
        // A host's content scale overrides the desktop's for the rest of the instance.
        if (IPlugEditor* editor = EditorOf(this);
            value == kVendorContentScale && editor && std::isfinite(opt) && opt > 0.0f) {
            editor->SetHostScale(opt);
            return 1;
        }
        return 0;
    case kVendorHostWheel:
        if (IPlugEditor* editor = EditorOf(this); value == kVendorHostWheelValue && editor)
            return editor->HostWheel(opt);
        return 0;
    default:
        return 0;
    }
}

VstIntPtr IPlugVST::CanDo(const char* question) {
    if (!question) return 0;
    const std::string q = question;
    if (q == "receiveVstTimeInfo") return 1;
    if (MidiMode() != 0) {
        if ((MidiMode() & 1) && (q == "sendVstEvents" || q == "sendVstMidiEvent")) return 1;
        if (MidiMode() <= 2 && (q == "receiveVstEvents" || q == "receiveVstMidiEvent")) return 1;
    }
    if (q == "hasCockosExtensions" || q == "hasCockosViewAsConfig") return kVendorCanDo;
    return 0;
}

VstIntPtr IPlugVST::PinProperties(bool isInput, VstInt32 index, void* ptr) {
    const int count = isInput ? NInputs() : NOutputs();
    if (!ptr || index < 0 || index >= count) return 0;
    auto* pin = static_cast<VstPinProperties*>(ptr);
    pin->flags = kVstPinIsActive;
    if (index % 2 == 0 && index < count - 1) pin->flags = kVstPinIsActive | kVstPinIsStereo;
    std::snprintf(pin->label, sizeof pin->label, isInput ? "Input %d" : "Output %d", index + 1);
    return 1;
}

void IPlugVST::SetSpeakerArrangement(const VstSpeakerArrangement* in,
                                     const VstSpeakerArrangement* out) {
    // Only the channel count is read: hosts may allocate fewer speaker entries.
    if (in) {
        const int n = std::clamp(in->numChannels, 0, NInputs());
        ConnectInputs(0, n, true);
        ConnectInputs(n, NInputs() - n, false);
    }
    if (out) {
        const int n = std::clamp(out->numChannels, 0, NOutputs());
        ConnectOutputs(0, n, true);
        ConnectOutputs(n, NOutputs() - n, false);
    }
}

void IPlugVST::ProcessEvents(const VstEvents* events) {
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event) continue;
        if (event->type == kVstMidiType) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            IMidiMsg message;
            message.offset = midi->deltaFrames;
            message.status = static_cast<std::uint8_t>(midi->midiData[0]);
            message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
            message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
            OnMidiMessage(message);
        } else if (event->type == kVstSysExType) {
            const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
            ISysEx message;
            message.offset = sysex->deltaFrames;
            message.size = sysex->dumpBytes;
            message.data = reinterpret_cast<const std::uint8_t*>(sysex->sysexDump);
            OnSysEx(message);
        }
    }
}

VstIntPtr IPlugVST::DrawEditorPicture(EditorPicture* picture, float scale) {
    IPlugEditor* editor = EditorOf(this);
    if (!picture || !editor || !std::isfinite(scale) || scale < 0.0f) return 0;
    const PixelBitmap* bitmap =
        scale == 0.0f ? editor->DrawPicture() : editor->DrawPicture(DisplayScale::ForFactor(scale));
    if (!bitmap || !bitmap->Bits() || bitmap->IsFlipped()) return 0;
    picture->width = bitmap->Width();
    picture->height = bitmap->Height();
    picture->rowSpan = bitmap->RowSpan();
    picture->pixels = bitmap->Bits();
    return 1;
}
