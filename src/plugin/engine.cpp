// The reverse-delay engine: the per-block processing, the reset and the delay line.
#include "plugin/denormals.h"
#include "plugin/velmorande.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace {
// The longest line (512 MiB); an absurd tempo or sample rate asking for more runs dry.
constexpr std::uint32_t kMaxLine = 1u << 26;

// A NaN or infinity written into the line would circulate through the feedback for good:
// the engine hears such a sample as silence. Finite samples pass untouched.
inline double Audible(double x) {
    return std::isfinite(x) ? x : 0.0;
}

// Whether a block holds a NaN or an infinity: all exponent bits set in a sample's upper
// word. Plain integer work the compiler vectorises, so that the per-sample loop needs no test
// of its own for clean blocks.
bool HasNonFinite(const double* x, int n) {
    constexpr std::uint32_t kExponent = 0x7FF00000u;
    std::uint32_t found = 0;
    for (int i = 0; i < n; ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, &x[i], sizeof bits);
        const auto upper = static_cast<std::uint32_t>(bits >> 32);
        found |= static_cast<std::uint32_t>((upper & kExponent) == kExponent);
    }
    return found != 0;
}
} // namespace

void VSTCLASS::ProcessBlock(double** inputs, double** outputs, int nFrames) {
    if (!gateOpen_) return;
    DenormalGuard denormals;

    const double tempo = HostTempo();
    const double samplesPerBeat = tempo > 0.0 ? GetSampleRate() / tempo * 60.0 : 0.0;
    const double t = samplesPerBeat * 4.0;

    if (!started_) {
        started_ = true;
        OnReset();
    }
    if (t != samplesPerWholeNote_) {
        samplesPerWholeNote_ = t;
        capacity_ = RoundHalfAway(t * 8.0);
        AllocateLine(capacity_);
        if (!hostSync_) RerangeDelayTime(true);
        cache_[kDelayRate] = -1;
        OnParamChanged(kDelayRate);
    }
    // A cycle longer than the line (a long "Delay Time" set before the range followed
    // the tempo, or a higher sample rate) grows the line rather than cutting the delay.
    // A line lost to a failed allocation is tried again on the next block.
    if (samplesPerWholeNote_ > 0.0 &&
        (!lineAllocated_ || period_ > static_cast<std::uint32_t>(lineSize_))) {
        const auto want = std::max(period_, static_cast<std::uint32_t>(std::max(capacity_, 1)));
        if (want <= kMaxLine) AllocateLine(static_cast<int>(want));
    }

    if (nFrames <= 0 || !inputs || !outputs) return;
    if (LineUsable())
        RenderWet(inputs, outputs, nFrames);
    else
        RenderDry(inputs, outputs, nFrames);
}

bool VSTCLASS::LineUsable() const {
    return lineAllocated_ && period_ >= 1 && period_ <= static_cast<std::uint32_t>(lineSize_);
}

// Without a usable line (no tempo from the host, or no memory) the effect passes the
// dry signal at its mix level and leaves its state alone.
void VSTCLASS::RenderDry(double** inputs, double** outputs, int nFrames) const {
    const double dry = dry_;
    const double* inL = inputs[0];
    const double* inR = inputs[1];
    double* outL = outputs[0];
    double* outR = outputs[1];
    for (int i = 0; i < nFrames; ++i) {
        const double l = Audible(inL[i]), r = Audible(inR[i]);
        outL[i] = dry * l;
        outR[i] = dry * r;
    }
}

void VSTCLASS::RenderWet(double** inputs, double** outputs, int nFrames) {
    // Single-precision input was looked at while it was converted.
    const bool scrub = !InputsKnownFinite() &&
                       (HasNonFinite(inputs[0], nFrames) || HasNonFinite(inputs[1], nFrames));
    if (scrub)
        RenderWetSamples<true>(inputs, outputs, nFrames);
    else
        RenderWetSamples<false>(inputs, outputs, nFrames);
}

template <bool kScrub>
void VSTCLASS::RenderWetSamples(double** inputs, double** outputs, int nFrames) {
    double* const line = line_.get();
    const int period = static_cast<int>(period_);
    const int tap1 = tap1_, tap2 = tap2_;
    const double feedback = feedback_, c = coefficient_;
    const double a = spreadA_, b = spreadB_, wet = wet_, dry = dry_;
    const int length = crossfadeLength_;
    const float floatLength = static_cast<float>(length);
    const double* inL = inputs[0];
    const double* inR = inputs[1];
    double* outL = outputs[0];
    double* outR = outputs[1];

    int pos = writePos_;
    int n = crossfadeCount_;
    double y1 = y1_, y2 = y2_, hold1 = hold1_, hold2 = hold2_;

    for (int i = 0; i < nFrames; ++i) {
        const double l = kScrub ? Audible(inL[i]) : inL[i];
        const double r = kScrub ? Audible(inR[i]) : inR[i];
        line[pos] = (r + l) * 0.5 + feedback * line[pos];
        int r1 = tap1 - pos;
        if (r1 < 0) r1 += period;
        int r2 = tap2 - pos;
        if (r2 < 0) r2 += period;
        const double x1 = line[r1], x2 = line[r2];
        if (++pos >= period) pos = 0;
        y1 = (y1 - x1) * c + x1;
        y2 = (y2 - x2) * c + x2;
        if (n != 0) {
            if (n == length) {
                hold1 = y1;
                hold2 = y2;
            }
            const double w = static_cast<float>(n) / floatLength;
            --n;
            y1 = (hold1 - y1) * w + y1;
            y2 = (hold2 - y2) * w + y2;
        }
        outL[i] = (b * y2 + a * y1) * wet + dry * l;
        outR[i] = (b * y1 + a * y2) * wet + dry * r;
    }

    writePos_ = pos;
    crossfadeCount_ = n;
    y1_ = y1;
    y2_ = y2;
    hold1_ = hold1;
    hold2_ = hold2;
}

void VSTCLASS::OnReset() {
    PlugMutex::Guard lock(Mutex());
    if (GetSampleRate() != sampleRate_) {
        sampleRate_ = GetSampleRate();
        crossfadeLength_ = std::max(RoundHalfAway(sampleRate_ * 0.1), 0);
        if (!hostSync_) {
            RerangeDelayTime(true);
            cache_[kDelayTime] = -1;
            OnParamChanged(kDelayTime);
        }
        cache_[kFreq] = -1;
        OnParamChanged(kFreq);
    }
    if (lineAllocated_) ClearLine(static_cast<int>(period_));
    crossfadeCount_ = crossfadeLength_;
}

bool VSTCLASS::AllocateLine(int n) {
    const int size = std::max(n, 1);
    line_.reset(); // the old contents are lost anyway: free first so peak memory stays low
    if (static_cast<std::uint32_t>(size) <= kMaxLine)
        line_.reset(new (std::nothrow) double[size]());
    lineAllocated_ = line_ != nullptr;
    lineSize_ = lineAllocated_ ? size : 0;
    writePos_ = 0;
    return lineAllocated_;
}

void VSTCLASS::ClearLine(int n) {
    if (lineAllocated_) std::fill_n(line_.get(), std::min(std::max(n, 1), lineSize_), 0.0);
    writePos_ = 0;
}
