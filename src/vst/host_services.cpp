// Requests from the plug-in to the host.
#include "core/host_ids.h"
#include "vst/plug_vst.h"

#include <cctype>
#include <cstring>

VstIntPtr IPlugVST::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

const VstTimeInfo* IPlugVST::HostTime(VstInt32 filter) {
    return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter));
}

void IPlugVST::HostBeginEdit(int paramIndex) {
    EndPendingEdit();
    CallHost(audioMasterBeginEdit, paramIndex);
}

void IPlugVST::HostBeginEditUnlessPending(int paramIndex) {
    PlugMutex::Guard lock(Mutex());
    if (paramIndex == PendingEdit()) return; // the gesture already begun goes on
    EndPendingEdit();
    CallHost(audioMasterBeginEdit, paramIndex);
}

void IPlugVST::HostAutomate(int paramIndex, double normalized) {
    CallHost(audioMasterAutomate, paramIndex, 0, nullptr, static_cast<float>(normalized));
}

void IPlugVST::HostEndEdit(int paramIndex) {
    CallHost(audioMasterEndEdit, paramIndex);
}

void IPlugVST::HostProgramChanged() {
    CallHost(audioMasterUpdateDisplay);
}

int IPlugVST::HostSamplePosition() {
    const VstTimeInfo* time = HostTime(0);
    if (!time || !(time->samplePos >= 0.0)) return 0;
    return TruncateToInt32(time->samplePos + 0.5);
}

double IPlugVST::HostTempo() {
    if (!host_) return 0.0;
    const VstTimeInfo* time = HostTime(kVstTempoValid);
    if (time && (time->flags & kVstTempoValid) && time->tempo >= 0.0) return time->tempo;
    return 0.0;
}

void IPlugVST::HostTimeSignature(int& numerator, int& denominator) {
    numerator = denominator = 0;
    const VstTimeInfo* time = HostTime(kVstTimeSigValid);
    if (time && (time->flags & kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
        time->timeSigDenominator >= 0) {
        numerator = time->timeSigNumerator;
        denominator = time->timeSigDenominator;
    }
}

int IPlugVST::HostId() {
    if (IPlugBase::HostId() != kHostNotIdentified) return IPlugBase::HostId();
    char product[256] = {};
    CallHost(audioMasterGetProductString, 0, 0, product);
    product[sizeof product - 1] = '\0'; // a host that fills the whole buffer
    int version = 0;
    if (product[0]) {
        VstIntPtr v = CallHost(audioMasterGetVendorVersion);
        if (v < 0 || v > 0x7FFFFFFF) v = 0;
        const int major = static_cast<int>(v / 10000), minor = static_cast<int>(v % 10000 / 100),
                  patch = static_cast<int>(v % 100);
        version = (major << 16) | (minor << 8) | patch;
    }
    SetHostIdentity(product, version);
    return IPlugBase::HostId();
}

void IPlugVST::SetHostIdentity(const char* productName, int hostVersion) {
    StoreHostIdentity(HostIdFromName(productName), hostVersion);
}

int IPlugVST::HostIdFromName(const char* name) {
    static const struct {
        const char* text;
        int id;
    } kHosts[] = {{"cubase", kHostCubase},
                  {"reaper", kHostReaper},
                  {"nuendo", kHostNuendo},
                  {"cakewalk", kHostCakewalk},
                  {"samplitude", kHostSamplitude},
                  {"fruity", kHostFruityLoops},
                  {"live", kHostLive},
                  {"melodyne", kHostMelodyne},
                  {"vstmanlib", kHostVstManLib},
                  {"aulab", kHostAulab},
                  {"forte", kHostForte},
                  {"chainer", kHostChainer},
                  {"audition", kHostAudition},
                  {"orion", kHostOrion},
                  {"sawstudio", kHostSawStudio},
                  {"logic", kHostLogic},
                  {"digital", kHostDigitalPerformer},
                  {"audiomulch", kHostAudioMulch},
                  {"presonus", kHostPresonus},
                  {"acoustica", kHostAcoustica},
                  {"garageband", kHostGarageBand},
                  {"ardour", kHostArdour}};
    if (!name) return kHostUnknown;
    char lower[256];
    std::size_t n = strnlen(name, sizeof lower - 1);
    for (std::size_t i = 0; i < n; ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    lower[n] = '\0';
    for (const auto& host : kHosts)
        if (std::strstr(lower, host.text)) return host.id;
    return kHostUnknown;
}

void IPlugVST::InitForHost() {
    if (hostSetUpDone_) return;
    hostSetUpDone_ = true;
    const int id = HostId();
    if (id == kHostForte || id == kHostAudition || id == kHostOrion || id == kHostSawStudio)
        LimitToStereo();
    inputArrangement_.numChannels = effect_.numInputs = NInputs();
    outputArrangement_.numChannels = effect_.numOutputs = NOutputs();
}

void IPlugVST::LimitToStereo() {
    ConnectInputs(2, NInputs() - 2, false);
}

bool IPlugVST::SendMidiMessage(const IMidiMsg& message) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = message.offset;
    event.midiData[0] = static_cast<char>(message.status);
    event.midiData[1] = static_cast<char>(message.data1);
    event.midiData[2] = static_cast<char>(message.data2);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPlugVST::SendSysExMessage(const ISysEx& message) {
    VstMidiSysexEvent event{};
    event.type = kVstSysExType;
    event.byteSize = sizeof(VstMidiSysexEvent);
    event.deltaFrames = message.offset;
    event.dumpBytes = message.size;
    event.sysexDump = reinterpret_cast<char*>(const_cast<std::uint8_t*>(message.data));
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}
