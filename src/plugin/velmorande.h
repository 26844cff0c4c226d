#pragma once

#include "plugin/params.h"
#include "plugin/plug_format.h"

#include <cstdint>
#include <memory>

// The reverse-delay effect. Without a host it runs on its own: no tempo from a VST 2.x
// host, and nobody to tell about edits.
class VSTCLASS : public IPlugFormat {
public:
    explicit VSTCLASS(IPlugFormat::Host host = {});
    ~VSTCLASS() override;

    void OnReset() override;
    void OnParamChanged(int paramIndex) override;
    void ProcessBlock(double** inputs, double** outputs, int nFrames) override;

    // The editor's host-sync button announces a press before it reports its change.
    void SetSyncButtonPressed() { syncButtonPressed_ = true; }

    int NearestNoteIndex(std::uint32_t period) const;
    void RerangeDelayTime(bool keepPosition);

    // Engine state, read by tests and the editor.
    std::uint32_t Period() const { return period_; }
    int Tap1Offset() const { return tap1_; }
    int Tap2Offset() const { return tap2_; }
    int Capacity() const { return capacity_; }
    int LineSize() const { return lineAllocated_ ? lineSize_ : 0; }
    double SamplesPerWholeNote() const { return samplesPerWholeNote_; }
    double FilterCoefficient() const { return coefficient_; }
    float SpreadA() const { return spreadA_; }
    float SpreadB() const { return spreadB_; }
    float Feedback() const { return feedback_; }
    float DryGain() const { return dry_; }
    float WetGain() const { return wet_; }
    bool HostSync() const { return hostSync_; }
    bool GateOpen() const { return gateOpen_; }
    int CrossfadeLength() const { return crossfadeLength_; }

private:
    void DefineParameters();
    void BuildEditor();
    void AddFactoryPresets();

    void UpdateTaps();
    void SetOwnParameter(int paramIndex, double value);
    void SetControlsAsUser(int paramIndex, double normalized);
    void HideBoundControls(int paramIndex, bool hide);
    void ReportToGate(int paramIndex);

    bool AllocateLine(int n);
    void ClearLine(int n);
    bool LineUsable() const;
    void RenderDry(double** inputs, double** outputs, int nFrames) const;
    void RenderWet(double** inputs, double** outputs, int nFrames);
    template <bool kScrub> void RenderWetSamples(double** inputs, double** outputs, int nFrames);

    std::unique_ptr<int[]> cache_;
    std::unique_ptr<double[]> line_;
    int lineSize_ = 0; // doubles allocated; may exceed capacity when a period needs it
    double samplesPerWholeNote_ = 0.0;
    double sampleRate_ = 0.0;
    double y1_ = 0.0, y2_ = 0.0;
    double coefficient_ = 0.0;
    double hold1_ = 0.0, hold2_ = 0.0;
    float feedback_ = 0.0f;
    float spreadA_ = 0.5f, spreadB_ = 0.5f;
    float wet_ = 0.0f, dry_ = 0.0f;
    int tapMode_ = kTapNormal;
    std::uint32_t period_ = 0;
    int tap1_ = 0, tap2_ = 0;
    int capacity_ = 0;
    int writePos_ = 0;
    int crossfadeCount_ = 0;
    int crossfadeLength_ = 0;
    bool started_ = false;
    bool gateOpen_ = false;
    bool lineAllocated_ = false;
    bool hostSync_ = true;
    bool syncButtonPressed_ = false;
    unsigned seenByThis_ = 0; // parameters this instance has reported to the gate
};
