// Turning parameter values into delay-line settings.
#include "editor/plug_editor.h"
#include "plugin/note_values.h"
#include "plugin/startup_gate.h"
#include "plugin/velmorande.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTwoPi = 6.283185307179586;

std::uint32_t TwiceRounded(double samples) {
    return static_cast<std::uint32_t>(2 * std::max(RoundHalfAway(samples), 0));
}
} // namespace

void VSTCLASS::OnParamChanged(int paramIndex) {
    PlugMutex::Guard lock(Mutex());
    if (paramIndex < 0 || paramIndex >= kNumParams) return;
    const int v = GetParam(paramIndex)->RoundedValue();
    if (v == cache_[paramIndex]) return;
    cache_[paramIndex] = v;

    switch (paramIndex) {
    case kDelayRate:
        if (!hostSync_) break;
        period_ = TwiceRounded(NoteLength(v) * samplesPerWholeNote_);
        UpdateTaps();
        break;
    case kDelayTime:
        if (hostSync_) break;
        period_ = TwiceRounded(v * sampleRate_ * 0.001);
        UpdateTaps();
        break;
    case kHostSync:
        hostSync_ = (v == 1);
        HideBoundControls(kDelayRate, !hostSync_);
        HideBoundControls(kDelayTime, hostSync_);
        if (started_ && syncButtonPressed_) {
            // The user pressed Sync: carry the current delay over to the other knob.
            if (hostSync_) {
                cache_[kDelayRate] = -1;
                SetOwnParameter(kDelayRate, NearestNoteIndex(period_));
            } else {
                RerangeDelayTime(false);
                SetOwnParameter(kDelayTime, period_ / sampleRate_ * 500.0);
            }
        }
        break;
    case kPingPong:
        tapMode_ = v;
        UpdateTaps();
        break;
    case kPanWidth:
        spreadA_ = (static_cast<float>(v) * 0.01f + 1.0f) * 0.5f;
        spreadB_ = 1.0f - spreadA_;
        break;
    case kFeedback:
        feedback_ = static_cast<float>(v) * 0.01f;
        break;
    case kFreq:
        coefficient_ = std::exp(v / sampleRate_ * -kTwoPi);
        break;
    case kDryMix:
        dry_ = static_cast<float>(v) * 0.01f;
        break;
    case kWetMix:
        wet_ = static_cast<float>(v) * 0.01f;
        break;
    }
    syncButtonPressed_ = false;
    ReportToGate(paramIndex);
}

void VSTCLASS::ReportToGate(int paramIndex) {
    if (gateOpen_) return;
    seenByThis_ |= 1u << paramIndex;
    // The shared count can be reset by another instance being built while this one is
    // being opened; an instance that has itself seen all nine opens regardless.
    bool allSeenHere = seenByThis_ == (1u << kNumParams) - 1;
    if (startup_gate::Report(paramIndex) || allSeenHere) gateOpen_ = true;
}

void VSTCLASS::UpdateTaps() {
    const double p = period_;
    switch (tapMode_) {
    case kTapTriplet:
        tap1_ = RoundHalfAway(p * (2.0 / 3.0));
        break;
    case kTapDotted:
        tap1_ = RoundHalfAway(p * 0.75);
        break;
    case kTapNormal:
        tap1_ = static_cast<int>(period_ - 1);
        break;
    default:
        break;
    }
    tap2_ = RoundHalfAway(p * 0.5);
    // Very short cycles would put a tap past the cycle's end: keep both taps inside it.
    const int last = std::max(static_cast<int>(period_) - 1, 0);
    tap1_ = std::clamp(tap1_, 0, last);
    tap2_ = std::clamp(tap2_, 0, last);

    if (lineAllocated_) ClearLine(static_cast<int>(period_));
    crossfadeCount_ = crossfadeLength_;
}

int VSTCLASS::NearestNoteIndex(std::uint32_t period) const {
    std::int64_t previous = 0;
    for (int i = 0; i < 28; ++i) {
        std::int64_t g = TwiceRounded(NoteLength(i) * samplesPerWholeNote_);
        if (g >= period) return (period < (g + previous) / 2.0) ? i - 1 : i;
        previous = g;
    }
    return 28;
}

void VSTCLASS::RerangeDelayTime(bool keepPosition) {
    if (samplesPerWholeNote_ == 0.0 || sampleRate_ == 0.0) return;
    IPlugParam* param = GetParam(kDelayTime);
    const double position = param->NormalizedValue();
    const double w = samplesPerWholeNote_ / sampleRate_; // seconds per whole note
    param->DefineInteger("Delay Time", RoundHalfAway(w * 1000.0 * 0.125),
                         RoundHalfAway(w * 1000.0 * 0.015625), RoundHalfAway(w * 4000.0), "ms");
    param->SetCurve(3.0);
    if (keepPosition) SetControlsAsUser(kDelayTime, position);
}

void VSTCLASS::SetOwnParameter(int paramIndex, double value) {
    HostBeginEdit(paramIndex);
    IPlugParam* param = GetParam(paramIndex);
    param->SetValue(value);
    SetControlsAsUser(paramIndex, param->NormalizedValue());
    HostEndEdit(paramIndex);
}

void VSTCLASS::SetControlsAsUser(int paramIndex, double normalized) {
    if (IPlugEditor* editor = EditorOf(this)) {
        editor->SetControlsAsUser(paramIndex, normalized);
    } else {
        SetParameterFromEditor(paramIndex, std::clamp(normalized, 0.0, 1.0));
    }
}

void VSTCLASS::HideBoundControls(int paramIndex, bool hide) {
    if (IPlugEditor* editor = EditorOf(this)) editor->HideBoundControls(paramIndex, hide);
}
