#include "support/test_host.h"
#include "vst/editor_picture.h"
#include "vst/vendor_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {
struct Dispatcher : ::testing::Test {
    TestHost host{VELMORANDE_PLUGIN_PATH};
    AEffect* e = nullptr;
    void SetUp() override { e = host.Open(); }
    VstIntPtr Do(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                 float opt = 0.0f) {
        return TestHost::Dispatch(e, opcode, index, value, ptr, opt);
    }
    std::string Text(VstInt32 opcode, VstInt32 index = 0) {
        return TestHost::Text(e, opcode, index);
    }
};
} // namespace

TEST_F(Dispatcher, FixedAnswers) {
    EXPECT_EQ(Do(effGetVstVersion), 2400);
    EXPECT_EQ(Do(effIdentify), FourCharCode("NvEf"));
    EXPECT_EQ(Do(effGetVendorVersion), 10100);
    EXPECT_EQ(Do(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(Do(effCanBeAutomated, 400), 1);
    EXPECT_EQ(Do(effProcessVarIo), 0);
    for (VstInt32 op : std::initializer_list<VstInt32>{
             effEditIdle, effIdle, effSetBypass, effGetTailSize, effGetParameterProperties,
             effStartProcess, effStopProcess, effSetProcessPrecision, 70, 90, 1000, -5})
        EXPECT_EQ(Do(op, 1, 1), 0) << op;
}

TEST_F(Dispatcher, Names) {
    const struct {
        VstInt32 opcode;
        const char* name;
    } rows[] = {
        {effGetEffectName, "Velmorande"}, {effGetVendorString, "Talvo"}, {effGetProductString, ""}};
    for (const auto& row : rows) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "junk");
        EXPECT_EQ(Do(row.opcode, 0, 0, buffer), 1) << row.opcode;
        EXPECT_STREQ(buffer, row.name);
    }
    EXPECT_EQ(Do(effGetEffectName), 0) << "no buffer";
}

TEST_F(Dispatcher, ParameterTexts) {
    const char* names[] = {"Delay Rate", "Delay Time", "Host Sync", "Ping Pong", "Pan Width",
                           "Feedback",   "Freq",       "Dry Mix",   "Wet Mix"};
    const char* displays[] = {"1/8", "500", "Yes", "Normal", "90", "60", "6000", "100", "50"};
    const char* labels[] = {"", "ms", "", "", "%", "%", "Hz", "%", "%"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Text(effGetParamName, i), names[i]);
        EXPECT_EQ(Text(effGetParamDisplay, i), displays[i]);
        EXPECT_EQ(Text(effGetParamLabel, i), labels[i]);
    }
    char untouched[8] = "keep";
    EXPECT_EQ(Do(effGetParamName, 9, 0, untouched), 0);
    EXPECT_STREQ(untouched, "keep");
    EXPECT_EQ(Do(effGetParamDisplay, -1, 0, untouched), 0);
    EXPECT_STREQ(untouched, "keep");
}

TEST_F(Dispatcher, StringToParameter) {
    const struct {
        VstInt32 index;
        const char* text; // null: no text given
        VstIntPtr answer;
        const char* display; // null: no such parameter
    } rows[] = {
        {0, "1/4", 1, "1/4"},         {5, "150", 1, "99"},        // clamped
        {3, "Triplet", 1, "Triplet"}, {3, nullptr, 1, "Triplet"}, // without text nothing changes
        {9, "Triplet", 0, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.index << " " << (row.text ? row.text : "-"));
        std::string text = row.text ? row.text : "";
        EXPECT_EQ(Do(effString2Parameter, row.index, 0, row.text ? text.data() : nullptr),
                  row.answer);
        if (row.display) EXPECT_EQ(Text(effGetParamDisplay, row.index), row.display);
    }
    EXPECT_FLOAT_EQ(e->getParameter(e, 5), 1.0f) << "clamped";
    EXPECT_EQ(host.Count(audioMasterAutomate), 0) << "host-typed values are not reported back";
}

TEST_F(Dispatcher, Programs) {
    EXPECT_EQ(Do(effGetProgram), 0);
    EXPECT_EQ(Text(effGetProgramName), "---- default ----");
    Do(effSetProgram, 0, 5);
    EXPECT_EQ(Do(effGetProgram), 5);
    EXPECT_EQ(Text(effGetProgramName), "Etheric Room");
    EXPECT_EQ(Text(effGetParamDisplay, 5), "90");

    char name[64];
    EXPECT_EQ(Do(effGetProgramNameIndexed, 9, 0, name), 1);
    EXPECT_STREQ(name, "Harp");
    EXPECT_EQ(Do(effGetProgramNameIndexed, 30, 0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(Do(effGetProgramNameIndexed, 22, 0, name), 1);
    EXPECT_STREQ(name, "- 23 -");

    // Leaving a program keeps its edits; a placeholder is named when first chosen.
    e->setParameter(e, 8, 0.2f);
    Do(effSetProgram, 0, 22);
    EXPECT_EQ(Text(effGetProgramName), "user preset 1");
    Do(effSetProgram, 0, 5);
    EXPECT_EQ(Text(effGetParamDisplay, 8), "20");

    char renamed[] = "Mine";
    Do(effSetProgramName, 0, 0, renamed);
    EXPECT_EQ(Text(effGetProgramName), "Mine");
    Do(effSetProgram, 0, 99);
    EXPECT_EQ(Do(effGetProgram), 5) << "out of range keeps the program";
    Do(effSetProgram, 0, -1);
    EXPECT_EQ(Do(effGetProgram), 5);
}

TEST_F(Dispatcher, LongProgramNamesNeverOverrunAHostBuffer) {
    std::string longName(255, 'n');
    Do(effSetProgramName, 0, 0, longName.data());
    char buffer[80];
    std::memset(buffer, 'Z', sizeof buffer);
    Do(effGetProgramName, 0, 0, buffer);
    EXPECT_EQ(std::strlen(buffer), 63u);
    EXPECT_EQ(buffer[64], 'Z') << "64 bytes at most, terminator included";
}

TEST_F(Dispatcher, Chunks) {
    void* data = nullptr;
    e->setParameter(e, 4, 0.25f);
    VstIntPtr size = Do(effGetChunk, 1, 0, &data);
    ASSERT_EQ(size, 80);
    ASSERT_NE(data, nullptr);
    std::vector<std::uint8_t> program(static_cast<std::uint8_t*>(data),
                                      static_cast<std::uint8_t*>(data) + size);
    double pan;
    std::memcpy(&pan, program.data() + 8 + 4 * 8, 8);
    EXPECT_EQ(pan, -50.0);

    VstIntPtr bankSize = Do(effGetChunk, 0, 0, &data);
    ASSERT_GT(bankSize, 80);
    std::vector<std::uint8_t> bank(static_cast<std::uint8_t*>(data),
                                   static_cast<std::uint8_t*>(data) + bankSize);
    EXPECT_EQ(Do(effGetChunk, 1), 0) << "no pointer";

    AEffect* other = host.Open();
    EXPECT_EQ(TestHost::Dispatch(other, effSetChunk, 0, bankSize, bank.data()), 1);
    EXPECT_EQ(TestHost::Text(other, effGetParamDisplay, 4), "-50");
    EXPECT_EQ(TestHost::Dispatch(other, effSetChunk, 1, size, program.data()), 1);

    // Wrong magic: read from byte 0 as bare values.
    std::vector<std::uint8_t> bare(program.begin() + 8, program.end());
    bare[4 * 8 + 6] = 0x59; // pan width 100.0 (0x4059000000000000)
    bare[4 * 8 + 7] = 0x40;
    EXPECT_EQ(TestHost::Dispatch(other, effSetChunk, 1, 72, bare.data()), 1);
    EXPECT_EQ(TestHost::Text(other, effGetParamDisplay, 4), "100");
    EXPECT_EQ(TestHost::Dispatch(other, effSetChunk, 1, 40, bare.data()), 0) << "short";
    EXPECT_EQ(TestHost::Dispatch(other, effSetChunk, 1, -4, bare.data()), 0);
    EXPECT_EQ(TestHost::Dispatch(other, effSetChunk, 1, 72, nullptr), 0);
}

TEST_F(Dispatcher, Capabilities) {
    auto can = [&](const char* q) { return Do(effCanDo, 0, 0, const_cast<char*>(q)); };
    EXPECT_EQ(can("receiveVstTimeInfo"), 1);
    EXPECT_EQ(can("receiveVstTimeInfo "), 0);
    EXPECT_EQ(can("sendVstEvents"), 0);
    EXPECT_EQ(can("receiveVstMidiEvent"), 0);
    EXPECT_EQ(can("hasCockosExtensions"), kVendorCanDo);
    EXPECT_EQ(can("hasCockosViewAsConfig"), kVendorCanDo);
    EXPECT_EQ(can("bypass"), 0);
    EXPECT_EQ(Do(effCanDo), 0);
}

TEST_F(Dispatcher, PinProperties) {
    VstPinProperties pin{};
    EXPECT_EQ(Do(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 3);
    EXPECT_STREQ(pin.label, "Input 1");
    EXPECT_EQ(Do(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 1);
    EXPECT_STREQ(pin.label, "Input 2");
    EXPECT_EQ(Do(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 1");
    EXPECT_EQ(Do(effGetInputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(Do(effGetOutputProperties, 0), 0);
}

TEST_F(Dispatcher, SpeakerArrangements) {
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(Do(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(in->type, kSpeakerArrStereo);
    EXPECT_EQ(in->numChannels, 2);
    EXPECT_EQ(out->numChannels, 2);
    // A host may allocate only the head of an arrangement: only numChannels is read.
    struct Head {
        VstInt32 type, numChannels;
    } mono{kSpeakerArrMono, 1};
    EXPECT_EQ(Do(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), nullptr), 1);
    EXPECT_EQ(in->numChannels, 2) << "the stored arrangement is not changed";
}

TEST_F(Dispatcher, VendorSpecific) {
    char text[64] = "x";
    EXPECT_EQ(Do(effVendorSpecific, kVendorValueDisplay, 6, text, 0.5f), kVendorHandled);
    EXPECT_STREQ(text, "5075");
    EXPECT_EQ(Do(effVendorSpecific, kVendorValueDisplay, 99, text, 0.5f), kVendorHandled);
    EXPECT_EQ(Do(effVendorSpecific, kVendorValueDisplay, 6, nullptr, 0.5f), 0);
    EXPECT_EQ(Do(effVendorSpecific, kVendorIsSwitch, 2), kVendorHandled)
        << "Host Sync is a two-state switch";
    EXPECT_EQ(Do(effVendorSpecific, kVendorIsSwitch, 3), 0);
    EXPECT_EQ(Do(effVendorSpecific, kVendorIsSwitch, 20), 0);

    char ms[64] = "500";
    EXPECT_EQ(Do(effVendorSpecific, kVendorTextValue, 1, ms), kVendorHandled);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.17f", 499.0 / 23999.0);
    EXPECT_STREQ(ms, expected);
    char empty[8] = "";
    EXPECT_EQ(Do(effVendorSpecific, kVendorTextValue, 1, empty), kVendorHandled);
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(Do(effVendorSpecific, kVendorTextValue, 12, ms), 0);
    EXPECT_EQ(Do(effVendorSpecific, kVendorHostWheel, kVendorHostWheelValue, nullptr, 1.0f), 0)
        << "no editor window to take the wheel";
}

TEST_F(Dispatcher, EventsAndKeyNames) {
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } events{
        3, 0, {reinterpret_cast<VstEvent*>(&note), nullptr, reinterpret_cast<VstEvent*>(&note)}};
    EXPECT_EQ(Do(effProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(Do(effProcessEvents), 0);

    MidiKeyName key{};
    key.thisKeyNumber = 60;
    std::strcpy(key.keyName, "C4");
    EXPECT_EQ(Do(effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
}

TEST_F(Dispatcher, EditorOfferedButNotOpenedWithoutAParent) {
    // The Linux library offers its X11 editor; a request without a parent window fails
    // cleanly (and makes no X connection).
    EXPECT_EQ(e->flags, 0x1019);
    ERect* rect = nullptr;
    EXPECT_EQ(Do(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 530);
    EXPECT_EQ(rect->bottom, 210);
    EXPECT_EQ(Do(effEditGetRect), 0);
    EXPECT_EQ(Do(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(Do(effEditClose), 1);
}

// A host's content scale (PreSonus' and Bitwig's 'PreS' 'AeCs') sizes the editor: the
// rectangle the host holds answers the window's size, the panel at the largest scale not
// above the factor. Factors that are no scale change nothing.
TEST_F(Dispatcher, AHostsContentScaleSizesTheEditor) {
    ERect* rect = nullptr;
    ASSERT_EQ(Do(effEditGetRect, 0, 0, &rect), 1);
    ERect* const held = rect;
    const float nan = std::nanf("");
    for (float bad : {0.0f, -2.0f, nan, INFINITY})
        EXPECT_EQ(Do(effVendorSpecific, kVendorPreSonus, kVendorContentScale, nullptr, bad), 0)
            << bad;
    EXPECT_EQ(Do(effVendorSpecific, kVendorPreSonus, FourCharCode("Whee"), nullptr, 2.0f), 0);
    const struct {
        float factor;
        int width, height;
    } cases[] = {{2.0f, 1060, 420}, {1.75f, 795, 315}, {1.5f, 795, 315},
                 {3.0f, 1060, 420}, {1.25f, 530, 210}, {1.0f, 530, 210}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.factor);
        EXPECT_EQ(Do(effVendorSpecific, kVendorPreSonus, kVendorContentScale, nullptr, c.factor),
                  1);
        EXPECT_EQ(held->right - held->left, c.width) << "the rectangle the host holds";
        ASSERT_EQ(Do(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect, held);
        EXPECT_EQ(rect->right, c.width);
        EXPECT_EQ(rect->bottom, c.height);
        EditorPicture picture;
        ASSERT_EQ(Do(effVendorSpecific, kEditorPictureRequest, 0, &picture), 1);
        EXPECT_EQ(picture.width, c.width) << "the picture of the editor as it is";
    }
    EXPECT_EQ(host.Count(audioMasterSizeWindow), 0) << "no window is open to resize";
}

// Pictures at a scale: the editor at that scale, whatever its own; 0 is its own.
TEST_F(Dispatcher, PicturesAtAScale) {
    const struct {
        float scale;
        VstIntPtr answer;
        int width, height;
    } cases[] = {{0.0f, 1, 530, 210},  {1.0f, 1, 530, 210},      {1.5f, 1, 795, 315},
                 {2.0f, 1, 1060, 420}, {2.9f, 1, 1060, 420},     {0.5f, 1, 530, 210},
                 {-1.0f, 0, 0, 0},     {std::nanf(""), 0, 0, 0}, {-INFINITY, 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        EditorPicture picture;
        ASSERT_EQ(Do(effVendorSpecific, kEditorPictureRequest, 0, &picture, c.scale), c.answer);
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.height, c.height);
        if (c.answer) {
            EXPECT_GE(picture.rowSpan, picture.width);
        }
    }
    ERect* rect = nullptr;
    ASSERT_EQ(Do(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 530) << "pictures leave the editor's own scale";
}

// A sample rate that is not a positive number leaves the effect exactly as it was: it plays
// as an instance told its own rate again does.
TEST(DispatcherSampleRate, RatesThatAreNotPositiveNumbersAreIgnored) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate : {-1.0f, NAN, 0.0f, inf, -inf}) {
        SCOPED_TRACE(rate);
        TestHost host(VELMORANDE_PLUGIN_PATH);
        host.SetTempo(120.0);
        AEffect* told = host.Open();
        AEffect* same = host.Open();
        for (AEffect* e : {told, same})
            e->setParameter(e, 0, 0.0f); // 1/64: echoes within the block
        TestHost::Dispatch(told, effSetSampleRate, 0, 0, nullptr, rate);
        TestHost::Dispatch(same, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        std::vector<float> outs[2];
        for (int k = 0; k < 2; ++k) {
            AEffect* e = k == 0 ? told : same;
            std::vector<float> l(8192), r(8192);
            for (int i = 0; i < 8192; ++i)
                l[i] = r[i] = 0.5f * std::sin(0.03f * static_cast<float>(i));
            float* io[2] = {l.data(), r.data()};
            e->processReplacing(e, io, io, 8192);
            outs[k] = l;
        }
        const auto differs = std::mismatch(outs[0].begin(), outs[0].end(), outs[1].begin());
        EXPECT_TRUE(differs.first == outs[0].end())
            << "differs from frame " << differs.first - outs[0].begin();
        EXPECT_NE(outs[1][6000], 0.5f * std::sin(0.03f * 6000)) << "the echoes are heard";
    }
}
