// The effect's panel as a VST 2.x host sees it: every gesture the user makes reaches the
// host's callback as begin edit, automation and end edit, in that order.
#include "controls/control.h"
#include "editor/plug_editor.h"
#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {
void Click(IPlugEditor& e, int x, int y, const MouseKeys& mod = {}) {
    e.MouseDown(x, y, mod);
    e.MouseUp(x, y, mod);
}

struct Call {
    VstInt32 opcode, index;
    bool operator==(const Call&) const = default;
};
std::vector<Call> calls;
TestHost* host = nullptr; // the host of the row being run

// Moves what the host has been told so far into `calls`.
void TakeCalls() {
    constexpr VstInt32 opcodes[] = {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit};
    for (const EditEvent& event : host->EditEvents())
        calls.push_back({opcodes[event.kind], event.index});
    host->ClearRequests();
}

constexpr VstInt32 B = audioMasterBeginEdit, A = audioMasterAutomate, E = audioMasterEndEdit;
} // namespace

TEST(HostGestures, EveryPanelGestureIsBracketedForTheHost) {
    MouseKeys right;
    right.right = true;
    const struct {
        const char* name;
        std::function<void(IPlugEditor&)> gesture;
        std::vector<Call> expected;
    } table[] = {
        {"knob drag",
         [](IPlugEditor& e) {
             e.MouseDown(310, 122, {});
             e.MouseDrag(310, 100, {});
             e.MouseDrag(310, 90, {});
             e.MouseUp(310, 90, {});
         },
         {{B, kFeedback}, {A, kFeedback}, {A, kFeedback}, {E, kFeedback}}},
        {"fader press",
         [](IPlugEditor& e) { Click(e, 444, 120); },
         {{B, kDryMix}, {A, kDryMix}, {E, kDryMix}}},
        {"double-click",
         [](IPlugEditor& e) {
             e.MouseDoubleClick(381, 122, {});
             e.MouseUp(381, 122, {});
         },
         {{B, kFreq}, {A, kFreq}, {E, kFreq}}},
        {"mode button",
         [](IPlugEditor& e) { Click(e, 150, 150); },
         {{B, kPingPong}, {A, kPingPong}, {E, kPingPong}}},
        {"right-click on the version text",
         [right](IPlugEditor& e) { Click(e, 60, 20, right); },
         {}},
        {"typed value",
         [](IPlugEditor& e) {
             IControl* wet = e.GetControl(11);
             e.ApplyTypedText(wet, e.Plug()->GetParam(kWetMix), "20");
         },
         {{B, kWetMix}, {A, kWetMix}, {E, kWetMix}}},
        {"wheel notches, then half a second",
         [](IPlugEditor& e) {
             for (int i = 0; i < 3; ++i)
                 e.MouseWheel(239, 122, {}, 1);
             for (int t = 0; t < 11; ++t)
                 e.Tick();
             TakeCalls();
             calls.push_back({-1, -1}); // still open here
             e.Tick();
         },
         {{B, kPanWidth},
          {A, kPanWidth},
          {A, kPanWidth},
          {A, kPanWidth},
          {-1, -1},
          {E, kPanWidth}}},
        {"wheel, then the editor closed",
         [](IPlugEditor& e) {
             e.MouseWheel(239, 122, {}, 1);
             e.CloseEditorWindow();
         },
         {{B, kPanWidth}, {A, kPanWidth}, {E, kPanWidth}}},
        {"wheel, then a drag elsewhere",
         [](IPlugEditor& e) {
             e.MouseWheel(239, 122, {}, 1);
             Click(e, 310, 122);
         },
         {{B, kPanWidth}, {A, kPanWidth}, {E, kPanWidth}, {B, kFeedback}, {E, kFeedback}}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        auto fx = std::make_unique<InProcessEffect>();
        auto* editor = EditorOf(fx.get());
        ASSERT_NE(editor, nullptr);
        host = &fx->host;
        host->ClearRequests();
        calls.clear();
        row.gesture(*editor);
        TakeCalls();
        EXPECT_EQ(calls, row.expected);
    }
}
