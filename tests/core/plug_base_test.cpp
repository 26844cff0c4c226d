#include "core/host_ids.h"
#include "core/plug_base.h"
#include "support/fake_editor.h"
#include "support/in_process_plug.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
// A plug-in with the base's own hooks, counting how often the change hook runs.
class CountingPlug : public IPlugVST {
public:
    CountingPlug(audioMasterCallback host, const char* channels, int nParams = 3, int nPresets = 2)
        : IPlugVST(host, nParams, channels, nPresets, "Effect", "Product", "Maker", 0x00010203,
                   0x61626364, 0x6D6B7220, 0, 0, false, false) {
        for (int i = 0; i < nParams; ++i)
            GetParam(i)->DefineInteger("P", 0, 0, 100, "");
    }
    void OnParamChanged(int index) override {
        IPlugBase::OnParamChanged(index);
        changes.push_back(index);
    }
    std::vector<int> changes;
    double** Inputs() { return InputTable(); }
    double** Outputs() { return OutputTable(); }
};
using Plug = InProcessPlug<CountingPlug>;
} // namespace

TEST(IPlugBase, ParsesChannelConfigurations) {
    struct Case {
        const char* channels;
        std::vector<std::pair<int, int>> configs;
        int inputs, outputs; // the largest counts
    };
    const Case cases[] = {
        {"1-1 2-2", {{1, 1}, {2, 2}}, 2, 2},
        {"1-2", {{1, 2}}, 1, 2},
        {"x-3 4", {{0, 0}, {4, 0}}, 4, 0}, // an unreadable count is 0
        {nullptr, {}, 0, 0},
    };
    for (const Case& c : cases) {
        Plug plug(c.channels);
        ASSERT_EQ(plug.NChannelConfigs(), static_cast<int>(c.configs.size()));
        for (int i = 0; i < plug.NChannelConfigs(); ++i) {
            EXPECT_EQ(plug.GetChannelConfig(i)->inputs, c.configs[i].first);
            EXPECT_EQ(plug.GetChannelConfig(i)->outputs, c.configs[i].second);
        }
        EXPECT_EQ(plug.NInputs(), c.inputs);
        EXPECT_EQ(plug.NOutputs(), c.outputs);
    }
    Plug plug("1-1 2-2");
    EXPECT_TRUE(plug.SupportsChannels(1, -1));
    EXPECT_TRUE(plug.SupportsChannels(2, 2));
    EXPECT_TRUE(plug.SupportsChannels(-1, -1));
    EXPECT_FALSE(plug.SupportsChannels(2, 1));
}

TEST(IPlugBase, IdentityAndVersion) {
    Plug plug("2-2");
    EXPECT_EQ(plug.VersionNumber(true), 10203);
    char text[16];
    plug.VersionText(text, sizeof text);
    EXPECT_STREQ(text, "v1.02");
    EXPECT_EQ(plug.IPlugBase::HostId(), kHostNotIdentified) << "nothing asked yet";
    EXPECT_EQ(plug.HostId(), kHostUnknown) << "the tests' host is no host it knows";
    EXPECT_EQ(plug.GetSampleRate(), 44100.0);
    EXPECT_STREQ(plug.PresetName(1), "- 2 -");
    EXPECT_STREQ(plug.PresetName(2), "");
}

TEST(IPlugBase, HostParameterIndexBounds) {
    Plug plug("2-2");
    plug.SetParameterFromHost(3, 0.5f);
    plug.SetParameterFromHost(-1, 0.5f);
    EXPECT_TRUE(plug.changes.empty()) << "out of range changes nothing and calls no hook";
    EXPECT_EQ(plug.GetParameterForHost(3), 0.0f);

    plug.SetParameterFromHost(1, 0.25f);
    EXPECT_EQ(plug.GetParam(1)->Value(), 25.0);
    EXPECT_EQ(plug.changes, std::vector<int>{1});
    EXPECT_FLOAT_EQ(plug.GetParameterForHost(1), 0.25f);
    EXPECT_TRUE(plug.host.EditEvents().empty())
        << "host changes are not reported back as automation";
}

TEST(IPlugBase, HostChangesReachTheEditorFirst) {
    Plug plug("2-2");
    auto* editor = new FakeEditor(&plug);
    plug.GetParam(0)->SetValue(40.0);
    plug.AttachEditor(editor);
    ASSERT_EQ(editor->surfaces, 1);
    ASSERT_EQ(editor->pushes.size(), 3u);
    EXPECT_TRUE(editor->pushes[0].normalized);
    EXPECT_DOUBLE_EQ(editor->pushes[0].value, 0.4);

    editor->pushes.clear();
    plug.SetParameterFromHost(2, 0.5f);
    ASSERT_EQ(editor->pushes.size(), 1u);
    EXPECT_EQ(editor->pushes[0].index, 2);
    EXPECT_TRUE(editor->pushes[0].normalized);

    editor->pushes.clear();
    plug.PushParamsToEditor();
    ASSERT_EQ(editor->pushes.size(), 3u);
    EXPECT_FALSE(editor->pushes[0].normalized);
    EXPECT_EQ(editor->pushes[0].value, 40.0) << "plain values";
}

TEST(IPlugBase, EditorChangeIsAutomatedBeforeTheHookRuns) {
    Plug plug("2-2");
    plug.SetParameterFromEditor(2, 0.3);
    ASSERT_EQ(plug.host.EditEvents().size(), 1u);
    EXPECT_EQ(plug.host.EditEvents()[0], (EditEvent{EditEvent::Automate, 2, 0.3}));
    EXPECT_EQ(plug.GetParam(2)->Value(), 30.0);
    EXPECT_EQ(plug.changes, std::vector<int>{2});
}

TEST(IPlugBase, WheelNotchesFormOneGestureEndingOnCountdown) {
    Plug plug("2-2");
    auto* editor = new FakeEditor(&plug);
    plug.AttachEditor(editor);

    // Three notches on parameter 1, as the editor dispatches a wheel.
    for (double v : {0.1, 0.2, 0.3}) {
        plug.HostBeginEditUnlessPending(1);
        plug.SetParameterFromEditor(1, v);
        plug.EndEditLater(1);
    }
    EXPECT_EQ(editor->EndEditCountdown(), 12) << "half of 24 frames per second";
    EXPECT_EQ(plug.host.EditCount(EditEvent::Begin), 1);
    EXPECT_EQ(plug.host.EditCount(EditEvent::Automate), 3);
    EXPECT_EQ(plug.host.EditCount(EditEvent::End), 0);

    // A notch on another parameter first ends the pending gesture.
    plug.HostBeginEditUnlessPending(2);
    ASSERT_EQ(plug.host.EditEvents().size(), 6u);
    EXPECT_EQ(plug.host.EditEvents()[4], (EditEvent{EditEvent::End, 1, 0.0}));
    EXPECT_EQ(plug.host.EditEvents()[5], (EditEvent{EditEvent::Begin, 2, 0.0}));
    plug.EndEditLater(2);

    // The timer running out (or the window closing) ends it.
    plug.EndPendingEdit();
    EXPECT_EQ(plug.host.EditEvents().back(), (EditEvent{EditEvent::End, 2, 0.0}));
    EXPECT_EQ(plug.PendingEdit(), -1);
    EXPECT_EQ(editor->EndEditCountdown(), 0);
    plug.EndPendingEdit();
    EXPECT_EQ(plug.host.EditCount(EditEvent::End), 2) << "nothing pending, nothing sent";
}

TEST(IPlugBase, EndEditLaterWithSlowOrNoEditor) {
    Plug slow("2-2");
    auto* editor = new FakeEditor(&slow, 1);
    slow.AttachEditor(editor);
    slow.EndEditLater(0);
    EXPECT_EQ(editor->EndEditCountdown(), 1) << "at least one tick";

    Plug plug("2-2");
    plug.HostBeginEditUnlessPending(0);
    plug.EndEditLater(0);
    EXPECT_EQ(plug.host.EditCount(EditEvent::End, 0), 1) << "without an editor it ends at once";
    EXPECT_EQ(plug.PendingEdit(), -1);
}

TEST(IPlugBase, BlockSizeResizesAndZeroesScratch) {
    Plug plug("2-2");
    plug.ConnectInputs(0, 2, true);
    plug.ConnectOutputs(0, 1, true);
    plug.ConnectOutputs(1, 1, false);
    plug.SetBlockSize(64);
    ASSERT_EQ(plug.GetBlockSize(), 64);
    // Output 1 is unconnected: its entry points at its scratch.
    double* scratch = plug.Outputs()[1];
    ASSERT_NE(scratch, nullptr);
    scratch[5] = 3.0;
    plug.SetBlockSize(64);
    EXPECT_EQ(plug.Outputs()[1][5], 3.0) << "same size keeps the contents";
    plug.SetBlockSize(128);
    EXPECT_EQ(plug.Outputs()[1][5], 0.0);
    EXPECT_EQ(plug.Outputs()[1][127], 0.0);

    plug.Outputs()[1][0] = 1.0;
    plug.ConnectOutputs(1, 1, false);
    EXPECT_EQ(plug.Outputs()[1][0], 0.0) << "disconnecting zero-fills";
    plug.ConnectOutputs(1, 100, true); // count past the channels is cut
    plug.ConnectInputs(-3, 2, false);  // negative start is cut
}

TEST(IPlugBase, DefaultProcessCopiesAndZeroes) {
    Plug plug("1-2");
    plug.SetBlockSize(4);
    double in[4] = {1, 2, 3, 4};
    double out0[4] = {9, 9, 9, 9}, out1[4] = {9, 9, 9, 9};
    double* ins[] = {in};
    double* outs[] = {out0, out1};
    plug.ProcessBlock(ins, outs, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out0[i], in[i]);
        EXPECT_EQ(out1[i], 0.0);
    }
}

TEST(IPlugBase, NotifyAllParamsInOrder) {
    Plug plug("2-2", 4);
    plug.NotifyAllParams();
    EXPECT_EQ(plug.changes, (std::vector<int>{0, 1, 2, 3}));
}

TEST(IPlugBase, MidiMessagesAllSentEvenAfterAFailure) {
    struct Failing : Plug {
        using Plug::Plug;
        int sent = 0;
        bool SendMidiMessage(const IMidiMsg& m) override {
            ++sent;
            return m.status != 0x90;
        }
    } plug("2-2");
    IMidiMsg messages[3];
    messages[1].status = 0x90;
    EXPECT_FALSE(plug.SendMidiMessages(messages, 3));
    EXPECT_EQ(plug.sent, 3);
}
