#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ParamChanges, GateOpensWhenAllNineAreReported) {
    InProcessEffect fx;
    for (int i = 0; i < 8; ++i)
        fx.OnParamChanged(i);
    EXPECT_FALSE(fx.GateOpen());
    fx.OnParamChanged(8);
    EXPECT_TRUE(fx.GateOpen());
}

TEST(ParamChanges, GateIsSharedButAnInstanceThatSawAllNineOpens) {
    InProcessEffect first;
    for (int i = 0; i < 5; ++i)
        first.OnParamChanged(i);
    InProcessEffect second; // a new instance starts the shared count again
    for (int i = 5; i < 9; ++i)
        first.OnParamChanged(i);
    EXPECT_TRUE(first.GateOpen()) << "it reported all nine itself";
    second.NotifyAllParams();
    EXPECT_TRUE(second.GateOpen());
}

TEST(ParamChanges, GateIsProcessWideOnceCountedDown) {
    InProcessEffect a;
    InProcessEffect b;
    b.OnParamChanged(0);
    a.NotifyAllParams();
    EXPECT_TRUE(a.GateOpen());
    EXPECT_FALSE(b.GateOpen());
    b.OnParamChanged(1);
    EXPECT_TRUE(b.GateOpen()) << "the shared count reached zero";
}

TEST(ParamChanges, DerivedSettings) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    EXPECT_NEAR(fx.FilterCoefficient(), std::exp(-0.85486), 1e-5);
    EXPECT_NEAR(fx.FilterCoefficient(), 0.42534, 1e-5);
    EXPECT_EQ(fx.Feedback(), 60 * 0.01f);
    EXPECT_EQ(fx.DryGain(), 1.0f);
    EXPECT_EQ(fx.WetGain(), 0.5f);
    EXPECT_EQ(fx.CrossfadeLength(), 4410);

    const struct {
        int pan;
        float a, b;
    } spreads[] = {{100, 1.0f, 0.0f}, {0, 0.5f, 0.5f}, {-100, 0.0f, 1.0f}};
    for (const auto& s : spreads) {
        SetPlain(fx, kPanWidth, s.pan);
        EXPECT_EQ(fx.SpreadA(), s.a) << s.pan;
        EXPECT_EQ(fx.SpreadB(), s.b) << s.pan;
    }

    SetPlain(fx, kFreq, 20000);
    EXPECT_GT(fx.FilterCoefficient(), 0.0) << "the top frequency still filters";
}

TEST(ParamChanges, PeriodsAndTaps) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    StereoBlock block(16);
    block.Process(fx);
    EXPECT_EQ(fx.Capacity(), 705600);
    EXPECT_EQ(fx.Period(), 22050u) << "1/8 at 120 bpm";
    EXPECT_EQ(fx.Tap1Offset(), 22049);
    EXPECT_EQ(fx.Tap2Offset(), 11025);

    SetPlain(fx, kDelayRate, 12);
    EXPECT_EQ(fx.Period(), 44100u) << "1/4";
    SetPlain(fx, kDelayRate, 24);
    EXPECT_EQ(fx.Period(), 705600u) << "4/1: the whole capacity";
    SetPlain(fx, kDelayRate, 1);
    EXPECT_EQ(fx.Period(), 2u * 1838u) << "1/32T: 88200 / 48 = 1837.5";
}

TEST(ParamChanges, TapModesAtPeriod1000) {
    InProcessEffect fx;
    OpenEffect(fx, 50000.0, 0.0); // no tempo: the delay time alone sets the period
    SetPlain(fx, kHostSync, 0);
    SetPlain(fx, kDelayTime, 10);
    ASSERT_EQ(fx.Period(), 1000u);
    EXPECT_EQ(fx.Tap1Offset(), 999);
    EXPECT_EQ(fx.Tap2Offset(), 500);
    SetPlain(fx, kPingPong, 0);
    EXPECT_EQ(fx.Tap1Offset(), 667);
    SetPlain(fx, kPingPong, 1);
    EXPECT_EQ(fx.Tap1Offset(), 750);
    EXPECT_EQ(fx.Tap2Offset(), 500);
}

TEST(ParamChanges, SameRoundedValueTwiceIsHandledOnce) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    SetPlain(fx, kFeedback, 40);
    ASSERT_EQ(fx.Feedback(), 40 * 0.01f);
    // 40.2 rounds to 40 again: the cached value stops the hook, the setting stays.
    fx.GetParam(kFeedback)->SetValue(40.2);
    fx.OnParamChanged(kFeedback);
    EXPECT_EQ(fx.Feedback(), 40 * 0.01f);
}

TEST(ParamChanges, DelayTimeAt44100) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0, 0.0);
    SetPlain(fx, kHostSync, 0);
    SetPlain(fx, kDelayTime, 400);
    SetPlain(fx, kDelayTime, 500);
    EXPECT_EQ(fx.Period(), 44100u);
}

TEST(ParamChanges, RerangeFitsDelayTimeToTempo) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    StereoBlock(16).Process(fx);
    fx.RerangeDelayTime(false);
    const IPlugParam& time = *fx.GetParam(kDelayTime);
    EXPECT_EQ(time.Min(), 31.0);
    EXPECT_EQ(time.Max(), 8000.0);
    EXPECT_EQ(time.Value(), 250.0) << "reset to an eighth note";
    EXPECT_EQ(time.Curve(), 3.0);
    EXPECT_TRUE(fx.host.EditEvents().empty()) << "without keeping the position nothing is reported";
}

TEST(ParamChanges, NearestNoteIndex) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    StereoBlock(16).Process(fx);
    EXPECT_EQ(fx.NearestNoteIndex(44100), 12);
    EXPECT_EQ(fx.NearestNoteIndex(1000), -1);
    EXPECT_EQ(fx.NearestNoteIndex(2756), 0);
    EXPECT_EQ(fx.NearestNoteIndex(10000000), 28);
    // Halfway between 1/8 (22050) and 1/4T (29400): the tie goes to the longer value.
    EXPECT_EQ(fx.NearestNoteIndex(25725), 10);
    EXPECT_EQ(fx.NearestNoteIndex(25724), 9);
}

namespace {
// Opened at 120 bpm and 44100 Hz with one block processed, so the Sync button converts.
struct Started : ::testing::Test {
    InProcessEffect fx;
    void SetUp() override {
        OpenEffect(fx, 44100.0);
        StereoBlock(64).Process(fx);
        fx.host.ClearRequests();
    }
    void PressSync(int value) {
        fx.SetSyncButtonPressed();
        fx.HostBeginEdit(kHostSync);
        fx.SetParameterFromEditor(kHostSync, value);
        fx.HostEndEdit(kHostSync);
    }
};
} // namespace

TEST_F(Started, SyncOffConvertsToMilliseconds) {
    SetPlain(fx, kDelayRate, 12); // 1/4: period 44100
    fx.host.ClearRequests();
    PressSync(0);
    EXPECT_FALSE(fx.HostSync());
    const IPlugParam& time = *fx.GetParam(kDelayTime);
    EXPECT_EQ(time.Value(), 500.0);
    EXPECT_EQ(time.Max(), 8000.0) << "re-ranged to the tempo";
    EXPECT_EQ(fx.Period(), 44100u);
    // The conversion is a host-visible edit of "Delay Time" inside the button's gesture.
    EXPECT_EQ(fx.host.EditCount(EditEvent::Begin, kDelayTime), 1);
    EXPECT_EQ(fx.host.EditCount(EditEvent::Automate, kDelayTime), 1);
    EXPECT_EQ(fx.host.EditCount(EditEvent::End, kDelayTime), 1);
}

TEST_F(Started, SyncOnPicksTheNearestNoteValue) {
    SetPlain(fx, kHostSync, 0);
    SetPlain(fx, kDelayTime, 400); // 500 is cached from opening: move away first
    SetPlain(fx, kDelayTime, 500);
    ASSERT_EQ(fx.Period(), 44100u);
    PressSync(1);
    EXPECT_TRUE(fx.HostSync());
    EXPECT_EQ(fx.GetParam(kDelayRate)->Value(), 12.0) << "1/4";
    EXPECT_EQ(fx.Period(), 44100u);
}

TEST_F(Started, SyncOnFromAShortDelayClampsToTheShortestNote) {
    SetPlain(fx, kHostSync, 0);
    SetPlain(fx, kDelayTime, 11.34); // rounds to 11 ms: a period of 970 samples
    ASSERT_LT(fx.Period(), 1378u);
    SetPlain(fx, kDelayRate, 0);
    PressSync(1);
    EXPECT_EQ(fx.GetParam(kDelayRate)->Value(), 0.0);
    EXPECT_EQ(fx.Period(), 2756u) << "recomputed from 1/64 although the index did not change";
}

TEST_F(Started, SyncByAutomationOnlySwapsTheKnob) {
    SetPlain(fx, kHostSync, 0);
    EXPECT_EQ(fx.Period(), 22050u);
    SetPlain(fx, kDelayTime, 400);
    SetPlain(fx, kDelayTime, 500);
    EXPECT_EQ(fx.Period(), 44100u);
    SetPlain(fx, kHostSync, 1);
    EXPECT_EQ(fx.Period(), 44100u) << "the period stays until the rate is handled again";
    EXPECT_EQ(fx.GetParam(kDelayRate)->Value(), 9.0);
}

TEST(ParamChanges, SyncButtonBeforeTheFirstBlockOnlySwaps) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    fx.SetSyncButtonPressed();
    fx.SetParameterFromEditor(kHostSync, 0.0);
    EXPECT_FALSE(fx.HostSync());
    EXPECT_EQ(fx.GetParam(kDelayTime)->Value(), 500.0);
    EXPECT_EQ(fx.GetParam(kDelayTime)->Max(), 24000.0);
}

TEST_F(Started, SyncFlagLastsUntilTheNextHandledChange) {
    fx.SetSyncButtonPressed(); // a right-click on the button: no value change
    SetPlain(fx, kDelayRate, 12);
    fx.SetSyncButtonPressed();
    SetPlain(fx, kHostSync, 0); // from the host, but the flag converts it
    EXPECT_EQ(fx.GetParam(kDelayTime)->Value(), 500.0);
}

TEST_F(Started, TempoChangeKeepsTheMillisecondPosition) {
    SetPlain(fx, kHostSync, 0);
    fx.RerangeDelayTime(false);
    SetPlain(fx, kDelayTime, 500);
    fx.host.SetTempo(60.0);
    StereoBlock(64).Process(fx);
    const IPlugParam& time = *fx.GetParam(kDelayTime);
    EXPECT_EQ(time.Min(), 63.0);
    EXPECT_EQ(time.Max(), 16000.0);
    EXPECT_NEAR(time.Value(), 1001.0, 1.0);
    EXPECT_EQ(fx.Period(), 2u * RoundHalfAway(time.Value() * 44.1));
}

TEST(ParamChanges, FirstTempoMovesDelayTimeIntoTheTempoRange) {
    InProcessEffect fx;
    OpenEffect(fx, 44100.0);
    SetPlain(fx, kHostSync, 0);
    StereoBlock(64).Process(fx);
    EXPECT_EQ(fx.GetParam(kDelayTime)->Value(), 31.0)
        << "500 of 1..24000 is about 0.0208, cubed back in 31..8000 is 31";
    EXPECT_EQ(fx.Period(), 2u * 1367u);
}
