// The host's audio through the plug-in base, as both format layers use it: the
// single-precision conversion looks for NaN and infinity in every input it converts and
// tells the effect so for that block only.
#include "support/test_plug.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {
class WatchedPlug : public InProcessTwoParamPlug {
public:
    WatchedPlug() {
        ConnectInputs(0, NInputs(), true);
        ConnectOutputs(0, NOutputs(), true);
        SetBlockSize(4);
    }
    using IPlugBase::ProcessHostAudio;

    void ProcessBlock(double** inputs, double** outputs, int nFrames) override {
        knownFinite.push_back(InputsKnownFinite());
        IPlugBase::ProcessBlock(inputs, outputs, nFrames);
    }
    std::vector<bool> knownFinite; // per ProcessBlock call
};

TEST(HostAudio, SinglePrecisionInputIsKnownFiniteOnlyWhenEverySampleIs) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        int channel, frame; // where the odd sample goes; -1: nowhere
        float sample;
        bool missingRight;
        std::vector<bool> expected; // two pieces of four frames
    };
    const Case cases[] = {
        {"clean", -1, 0, 0.0f, false, {true, true}},
        {"NaN on the left", 0, 1, nan, false, {false, true}},
        {"infinity on the right", 1, 2, inf, false, {false, true}},
        {"minus infinity at the right's last frame", 1, 7, -inf, false, {true, false}},
        {"the largest float", 1, 5, std::numeric_limits<float>::max(), false, {true, true}},
        {"a denormal", 0, 3, std::numeric_limits<float>::denorm_min(), false, {true, true}},
        {"no right buffer: silence", -1, 0, 0.0f, true, {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WatchedPlug plug;
        std::vector<float> in[2] = {std::vector<float>(8, 0.5f), std::vector<float>(8, -0.5f)};
        if (c.channel >= 0) in[c.channel][static_cast<std::size_t>(c.frame)] = c.sample;
        std::vector<float> out[2] = {std::vector<float>(8), std::vector<float>(8)};
        const float* ins[2] = {in[0].data(), c.missingRight ? nullptr : in[1].data()};
        float* outs[2] = {out[0].data(), out[1].data()};
        plug.ProcessHostAudio<float, false>(ins, outs, 8);
        EXPECT_EQ(plug.knownFinite, c.expected);
        EXPECT_EQ(out[1][0], c.missingRight ? 0.0f : -0.5f) << "the input got through";
    }
}

TEST(HostAudio, NothingElseIsKnownFinite) {
    WatchedPlug plug;
    std::vector<float> in(4, 0.5f), out(4);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    plug.ProcessHostAudio<float, true>(ins, outs, 4);
    std::vector<double> din(4, 0.5), dout(4);
    const double* dins[2] = {din.data(), din.data()};
    double* douts[2] = {dout.data(), dout.data()};
    plug.ProcessHostAudio<double, false>(dins, douts, 4);
    double* direct[2] = {din.data(), din.data()};
    plug.ProcessBlock(direct, douts, 4);
    EXPECT_EQ(plug.knownFinite, (std::vector<bool>{true, false, false}))
        << "double-precision and direct blocks are the effect's to look at";
}
} // namespace
