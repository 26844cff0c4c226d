#include "vsthost/host_callback.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vhost {
namespace {

VstIntPtr Call(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
               void* ptr = nullptr, float opt = 0.0f) {
    return HostCallback::Function()(effect, opcode, index, value, ptr, opt);
}

// A host with one effect attached, its requests made through the callback function.
class HostCallbackTest : public ::testing::Test {
protected:
    HostCallbackTest() {
        effect.uniqueID = 0x1234;
        host.Attach(&effect);
    }
    VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return vhost::Call(&effect, opcode, index, value, ptr, opt);
    }

    HostCallback host;
    AEffect effect{};
};

TEST_F(HostCallbackTest, IdentifiesItself) {
    EXPECT_EQ(Call(audioMasterVersion), 2400);
    EXPECT_EQ(Call(audioMasterCurrentId), 0x1234);
    char product[256];
    std::memset(product, 'x', sizeof product);
    EXPECT_EQ(Call(audioMasterGetProductString, 0, 0, product), 1);
    EXPECT_STREQ(product, "velmorande-host");
    char vendor[256] = {};
    Call(audioMasterGetVendorString, 0, 0, vendor);
    EXPECT_STREQ(vendor, kHostVendorString);
    VstIntPtr version = Call(audioMasterGetVendorVersion);
    EXPECT_GE(version, 10000); // major * 10000 + minor * 100 + patch with major >= 1
}

TEST_F(HostCallbackTest, TextRequestsWithoutABufferAreSafe) {
    EXPECT_EQ(Call(audioMasterGetProductString), 1);
    EXPECT_EQ(Call(audioMasterCanDo), 0);
}

TEST_F(HostCallbackTest, ReportsRateAndBlockSize) {
    host.SetSampleRate(48000.0);
    host.SetBlockSize(256);
    EXPECT_EQ(Call(audioMasterGetSampleRate), 48000);
    EXPECT_EQ(Call(audioMasterGetBlockSize), 256);
}

TEST_F(HostCallbackTest, TimeInfoFollowsThePosition) {
    host.SetSampleRate(44100.0);
    host.SetTempo(120.0);
    host.SetPosition(0, true);
    auto* first = reinterpret_cast<VstTimeInfo*>(Call(audioMasterGetTime, 0, kVstTempoValid));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->tempo, 120.0);
    EXPECT_EQ(first->sampleRate, 44100.0);
    EXPECT_EQ(first->samplePos, 0.0);
    EXPECT_EQ(first->timeSigNumerator, 4);
    EXPECT_EQ(first->timeSigDenominator, 4);
    EXPECT_TRUE(first->flags & kVstTempoValid);
    EXPECT_TRUE(first->flags & kVstTimeSigValid);
    EXPECT_TRUE(first->flags & kVstPpqPosValid);
    EXPECT_TRUE(first->flags & kVstTransportPlaying);
    EXPECT_TRUE(first->flags & kVstTransportChanged);

    // 5.25 s at 120 bpm: 10.5 quarter notes, in the third bar (which starts at quarter 8).
    host.SetPosition(231525, true);
    auto* later = reinterpret_cast<VstTimeInfo*>(Call(audioMasterGetTime));
    EXPECT_EQ(later->samplePos, 231525.0);
    EXPECT_DOUBLE_EQ(later->ppqPos, 10.5);
    EXPECT_DOUBLE_EQ(later->barStartPos, 8.0);
    EXPECT_DOUBLE_EQ(later->nanoSeconds, 5.25e9);
    EXPECT_FALSE(later->flags & kVstTransportChanged);

    host.SetTempo(90.0);
    EXPECT_EQ(later->tempo, 90.0);
    EXPECT_DOUBLE_EQ(later->ppqPos, 5.25 * 1.5);

    host.SetPosition(0, false);
    EXPECT_FALSE(later->flags & kVstTransportPlaying);
    EXPECT_TRUE(later->flags & kVstTransportChanged);
}

TEST_F(HostCallbackTest, TimeSignatureSetsTheBarLength) {
    host.SetTimeSignature(6, 8);    // three quarter notes to the bar
    host.SetPosition(231525, true); // quarter 10.5 at 120 bpm
    auto* time = reinterpret_cast<VstTimeInfo*>(Call(audioMasterGetTime));
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->timeSigNumerator, 6);
    EXPECT_EQ(time->timeSigDenominator, 8);
    EXPECT_DOUBLE_EQ(time->barStartPos, 9.0);
}

TEST_F(HostCallbackTest, TimeInformationCanBeWithheld) {
    host.WithholdTimeFlags(kVstTempoValid);
    auto* time = reinterpret_cast<VstTimeInfo*>(Call(audioMasterGetTime));
    ASSERT_NE(time, nullptr);
    EXPECT_FALSE(time->flags & kVstTempoValid);
    EXPECT_TRUE(time->flags & kVstTimeSigValid);
    host.SetPosition(512, true);
    EXPECT_FALSE(time->flags & kVstTempoValid) << "withheld until released";
    host.WithholdTimeFlags(0);
    EXPECT_TRUE(time->flags & kVstTempoValid);
    host.SetTimeInfoAvailable(false);
    EXPECT_EQ(Call(audioMasterGetTime), 0);
}

TEST_F(HostCallbackTest, IdentityCanBeChosen) {
    host.SetIdentity("REAPER", 50201);
    char product[256] = {};
    Call(audioMasterGetProductString, 0, 0, product);
    EXPECT_STREQ(product, "REAPER");
    EXPECT_EQ(Call(audioMasterGetVendorVersion), 50201);
}

// Off, on, off again: only a host that resizes its windows says so and grants the request.
TEST_F(HostCallbackTest, ResizesWindowsOnlyWhenSetTo) {
    char question[] = "sizeWindow", other[] = "offline";
    for (bool resizes : {false, true, false}) {
        SCOPED_TRACE(resizes);
        host.SetResizesWindows(resizes);
        EXPECT_EQ(Call(audioMasterCanDo, 0, 0, question), resizes ? 1 : -1);
        EXPECT_EQ(Call(audioMasterSizeWindow, 600, 300), resizes ? 1 : 0);
        EXPECT_EQ(Call(audioMasterCanDo, 0, 0, other), -1) << "other answers as before";
    }
    EXPECT_EQ(host.Count(audioMasterSizeWindow), 3u);
}

TEST_F(HostCallbackTest, EditGesturesAreRecordedInOrder) {
    host.SetRecording(true);
    Call(audioMasterBeginEdit, 4);
    Call(audioMasterGetTime);
    Call(audioMasterAutomate, 4, 0, nullptr, 0.5f);
    Call(audioMasterAutomate, 2, 0, nullptr, 0.25f);
    Call(audioMasterEndEdit, 4);
    const std::vector<EditEvent> expected{{EditEvent::Begin, 4, 0.0f},
                                          {EditEvent::Automate, 4, 0.5f},
                                          {EditEvent::Automate, 2, 0.25f},
                                          {EditEvent::End, 4, 0.0f}};
    EXPECT_EQ(host.EditEvents(), expected);
    EXPECT_EQ(host.Count(audioMasterAutomate, 4), 1u);
    EXPECT_EQ(host.Count(audioMasterAutomate, 3), 0u);
    EXPECT_EQ(host.Count(audioMasterAutomate), 2u);
}

TEST(HostCallback, CanDoAnswers) {
    EXPECT_EQ(HostCallback::CanDo("sendVstTimeInfo"), 1);
    EXPECT_EQ(HostCallback::CanDo("receiveVstEvents"), 1);
    EXPECT_EQ(HostCallback::CanDo("sizeWindow"), -1);
    EXPECT_EQ(HostCallback::CanDo("offline"), -1);
    EXPECT_EQ(HostCallback::CanDo("sendVstTimeInfoX"), 0);
    EXPECT_EQ(HostCallback::CanDo("something new"), 0);
    EXPECT_EQ(HostCallback::CanDo(nullptr), 0);
}

TEST_F(HostCallbackTest, AcceptsNotificationsAndEvents) {
    EXPECT_EQ(Call(audioMasterAutomate, 3, 0, nullptr, 0.5f), 1);
    EXPECT_EQ(Call(audioMasterBeginEdit, 3), 1);
    EXPECT_EQ(Call(audioMasterEndEdit, 3), 1);
    EXPECT_EQ(Call(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(Call(audioMasterWantMidi), 1);
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&midi);
    EXPECT_EQ(Call(audioMasterProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(Call(9999), 0);
    EXPECT_EQ(host.Count(audioMasterAutomate), 1u);
    EXPECT_EQ(host.Count(audioMasterProcessEvents), 1u);
}

TEST_F(HostCallbackTest, RecordsRequestsWhenAsked) {
    Call(audioMasterAutomate, 1, 0, nullptr, 0.25f);
    EXPECT_TRUE(host.Requests().empty());
    host.SetRecording(true);
    Call(audioMasterAutomate, 2, 0, nullptr, 0.75f);
    Call(audioMasterCanDo, 0, 0, const_cast<char*>("sendVstTimeInfo"));
    auto log = host.Requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].opcode, audioMasterAutomate);
    EXPECT_EQ(log[0].index, 2);
    EXPECT_EQ(log[0].opt, 0.75f);
    EXPECT_EQ(log[1].text, "sendVstTimeInfo");
    host.ClearRequests();
    EXPECT_TRUE(host.Requests().empty());
    EXPECT_EQ(host.Count(audioMasterAutomate), 0u);
}

TEST(HostCallback, RequestsReachTheHostOfTheirEffect) {
    HostCallback a, b;
    AEffect ea{}, eb{};
    a.Attach(&ea);
    b.Attach(&eb);
    Call(&ea, audioMasterAutomate);
    Call(&eb, audioMasterAutomate);
    Call(&eb, audioMasterAutomate);
    EXPECT_EQ(a.Count(audioMasterAutomate), 1u);
    EXPECT_EQ(b.Count(audioMasterAutomate), 2u);
    b.Detach(&eb);
    Call(&eb, audioMasterAutomate);
    EXPECT_EQ(b.Count(audioMasterAutomate), 2u);
}

TEST(HostCallback, UnknownEffectsAreAnsweredOnlyTheVersion) {
    AEffect stranger{};
    EXPECT_EQ(Call(&stranger, audioMasterVersion), 2400);
    EXPECT_EQ(Call(nullptr, audioMasterGetTime), 0);
}

TEST(HostCallback, RequestsDuringLoadingGoToTheLoadingHost) {
    HostCallback host;
    {
        HostCallback::LoadingScope scope(host);
        EXPECT_NE(Call(nullptr, audioMasterGetTime), 0);
        Call(nullptr, audioMasterAutomate);
    }
    EXPECT_EQ(host.Count(audioMasterAutomate), 1u);
    EXPECT_EQ(Call(nullptr, audioMasterGetTime), 0);
}

TEST(HostCallback, DestroyedHostsAreForgotten) {
    AEffect effect{};
    {
        HostCallback host;
        host.Attach(&effect);
        EXPECT_NE(Call(&effect, audioMasterGetTime), 0);
    }
    EXPECT_EQ(Call(&effect, audioMasterGetTime), 0);
}

} // namespace
} // namespace vhost
