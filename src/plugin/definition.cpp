// The effect's identity and its nine parameters.
#include "plugin/identity.h"
#include "plugin/note_values.h"
#include "plugin/startup_gate.h"
#include "plugin/velmorande.h"

VSTCLASS::VSTCLASS(IPlugFormat::Host host)
    : IPlugFormat(host, kNumParams, identity::kChannels, identity::kPrograms, identity::kEffectName,
                  identity::kProductName, identity::kMakerName, identity::kVersion,
                  identity::kUniqueId, identity::kMakerId, identity::kLatency, identity::kMidiMode,
                  false, false),
      cache_(new int[kNumParams]) {
    // Below every parameter's range, so the first report of each one is always handled.
    for (int i = 0; i < kNumParams; ++i)
        cache_[i] = -101;
    startup_gate::Reset();

    DefineParameters();
    BuildEditor();
    AddFactoryPresets();
}

VSTCLASS::~VSTCLASS() = default;

void VSTCLASS::DefineParameters() {
    IPlugParam* rate = GetParam(kDelayRate);
    rate->DefineChoice("Delay Rate", 9, kNoteValueCount, "");
    for (int i = 0; i < kNoteValueCount; ++i)
        rate->AddValueText(i, kNoteValueTexts[i]);

    GetParam(kDelayTime)->DefineInteger("Delay Time", 500, 1, 24000, "ms");

    IPlugParam* sync = GetParam(kHostSync);
    sync->DefineChoice("Host Sync", 1, 2, "");
    sync->AddValueText(0, "No");
    sync->AddValueText(1, "Yes");

    IPlugParam* pingPong = GetParam(kPingPong);
    pingPong->DefineChoice("Ping Pong", 2, 3, "");
    pingPong->AddValueText(0, "Triplet");
    pingPong->AddValueText(1, "Dotted");
    pingPong->AddValueText(2, "Normal");

    GetParam(kPanWidth)->DefineInteger("Pan Width", 90, -100, 100, "%");
    GetParam(kFeedback)->DefineInteger("Feedback", 60, 0, 99, "%");
    GetParam(kFreq)->DefineInteger("Freq", 6000, 100, 20000, "Hz");
    GetParam(kFreq)->SetCurve(2.0);
    GetParam(kDryMix)->DefineInteger("Dry Mix", 100, 0, 100, "%");
    GetParam(kWetMix)->DefineInteger("Wet Mix", 50, 0, 100, "%");

    // Saved sessions and presets name the parameters by these: never change one.
    static constexpr const char* kSymbols[kNumParams] = {"delay_rate", "delay_time", "host_sync",
                                                         "ping_pong",  "pan_width",  "feedback",
                                                         "freq",       "dry_mix",    "wet_mix"};
    for (int i = 0; i < kNumParams; ++i)
        GetParam(i)->SetSymbol(kSymbols[i]);
}
