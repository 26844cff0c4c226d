// Typed entry as every window layer runs it: where the box goes and what it holds, the
// states a box's input sets and what the redraw tick then does, and the one key table.
#include "controls/control.h"
#include "controls/text_control.h"
#include "core/plug_base.h"
#include "editor/entry_plan.h"
#include "editor/key_codes.h"
#include "editor/offscreen_editor.h"
#include "support/in_process_plug.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

enum Param { kLevel, kMode, kPlainChoice, kWide };

class EntryPlug : public IPlugVST {
public:
    explicit EntryPlug(audioMasterCallback host)
        : IPlugVST(host, 4, "2-2", 1, "Test", "", "Maker", 0x10000, 1, 2, 0, 0, false, false) {
        GetParam(kLevel)->DefineReal("Level", 60.0, 0.0, 99.0, 1.0, "");
        GetParam(kMode)->DefineChoice("Mode", 2, 3, "");
        const char* modes[] = {"Triplet", "Dotted", "Normal"};
        for (int i = 0; i < 3; ++i)
            GetParam(kMode)->AddValueText(i, modes[i]);
        GetParam(kPlainChoice)->DefineChoice("Plain", 0, 4, "");
        GetParam(kWide)->DefineReal("Wide", 0.0, 0.0, 20000.0, 0.5, "");
    }
};
using Plug = InProcessPlug<EntryPlug>;

class Blank : public IControl {
public:
    using IControl::IControl;
    bool Draw(IPlugEditor&) override { return true; }
};

// A box that shows nothing: it says what it holds and logs its life.
class FakeBox : public EntryBox {
public:
    FakeBox(std::string text, std::string& log) : text_(std::move(text)), log_(log) {}
    ~FakeBox() override { log_ += "closed;"; }
    void Start() override { log_ += "started;"; }
    std::string Text() const override { return text_; }
    std::string text_;

private:
    std::string& log_;
};

class BoxEditor : public OffscreenEditor {
public:
    using OffscreenEditor::OffscreenEditor;
    std::vector<EntryPlan> plans;
    std::string log;
    FakeBox* box = nullptr;
    bool canShow = true;

protected:
    std::unique_ptr<EntryBox> OpenEntryBox(const EntryPlan& plan) override {
        if (!canShow) return nullptr;
        plans.push_back(plan);
        auto made = std::make_unique<FakeBox>(plan.text, log);
        box = made.get();
        return made;
    }
};

struct TypedEntry : ::testing::Test {
    Plug plug;
    BoxEditor* editor = new BoxEditor(&plug, 530, 210, 0);
    Blank* level = new Blank(&plug, {285, 97, 335, 176}, kLevel);
    Blank* mode = new Blank(&plug, {115, 103, 201, 163}, kMode);
    void SetUp() override {
        editor->AddControl(level);
        editor->AddControl(mode);
        plug.AttachEditor(editor);
        editor->DrawAll();
        editor->Tick();
        plug.host.ClearRequests();
    }
    EntrySession& Entry() { return editor->Entry(); }
    void RightClick(IControl* control) {
        MouseKeys right;
        right.right = true;
        const IPlugRect& r = control->DrawRect();
        editor->MouseDown(r.left + 1, r.top + 1, right);
        editor->MouseUp(r.left + 1, r.top + 1, right);
        plug.host.ClearRequests();
    }
};

TEST(EntryPlanTest, PlacesAndSizesEachKindOfBox) {
    Plug plug;
    Blank knob(&plug, {285, 97, 335, 176}, kLevel);
    Blank group(&plug, {115, 103, 201, 163}, kMode);
    const struct {
        const char* what;
        const IControl& control;
        Param param;
        EntryPlan::Kind kind;
        IPlugRect area;
        std::string text;
        int selected;
        std::size_t choices;
    } cases[] = {
        // Centred on the knob: "99" is narrower than the least width of 32; 16 high.
        {"a number", knob, kLevel, EntryPlan::Kind::TextField, {294, 128, 326, 144}, "60", -1, 0},
        // 8 x "Triplet" + 24 wide, the top edge at the group's centre, 36 x (3 + 1) high.
        {"named choices",
         group,
         kMode,
         EntryPlan::Kind::ChoiceList,
         {118, 133, 198, 277},
         "Normal",
         2,
         3},
        // A choice without texts is typed as a number.
        {"a choice without names",
         group,
         kPlainChoice,
         EntryPlan::Kind::TextField,
         {142, 125, 174, 141},
         "0",
         -1,
         0},
        // "20000.0" is 7 characters: 7 x 7 + 6 = 55 wide, half of it left of the centre.
        {"a wide maximum",
         knob,
         kWide,
         EntryPlan::Kind::TextField,
         {283, 128, 338, 144},
         "0",
         -1,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EntryPlan plan = EntryPlan::ForParameter(c.control, *plug.GetParam(c.param));
        EXPECT_EQ(plan.kind, c.kind);
        EXPECT_EQ(plan.area, c.area);
        EXPECT_EQ(plan.text, c.text);
        EXPECT_EQ(plan.selected, c.selected);
        EXPECT_EQ(plan.choices.size(), c.choices);
        EXPECT_EQ(plan.font.face, "Arial");
        EXPECT_EQ(plan.font.size, 14);
        EXPECT_EQ(plan.PixelArea(DisplayScale()), c.area);
        EXPECT_EQ(plan.font.Scaled(DisplayScale()).size, 14);
    }
    // The panel's units scale as one, to the device edges the controls' own lie on.
    const EntryPlan field = EntryPlan::ForParameter(knob, *plug.GetParam(kLevel));
    const DisplayScale x2 = DisplayScale::ForFactor(2.0), x15 = DisplayScale::ForFactor(1.5);
    EXPECT_EQ(field.PixelArea(x2), (IPlugRect{588, 256, 652, 288}));
    EXPECT_EQ(field.PixelArea(x15), (IPlugRect{441, 192, 489, 216}));
    EXPECT_EQ(field.font.Scaled(x15).size, 21);
    EXPECT_EQ(field.font.Scaled(x2).size, 28);
    // A box reaching past the panel's left edge keeps its width there too.
    Blank edge(&plug, {0, 97, 11, 176}, kLevel);
    const EntryPlan past = EntryPlan::ForParameter(edge, *plug.GetParam(kLevel));
    ASSERT_EQ(past.area.left, 5 - 16);
    for (const DisplayScale s : {x15, x2})
        EXPECT_EQ(past.PixelArea(s).W(), s.ToDevice(32)) << s.Percent();

    // A current value that is none of the texts selects nothing.
    plug.GetParam(kPlainChoice)->AddValueText(1, "One");
    plug.GetParam(kPlainChoice)->AddValueText(2, "Two");
    const EntryPlan partly = EntryPlan::ForParameter(group, *plug.GetParam(kPlainChoice));
    EXPECT_EQ(partly.kind, EntryPlan::Kind::ChoiceList);
    EXPECT_EQ(partly.text, "0");
    EXPECT_EQ(partly.selected, -1);
}

TEST(EntryPlanTest, ATextControlsFieldTakesItsRectangleAndStyle) {
    Plug plug;
    IPlugText style;
    style.SetFace("Courier");
    style.size = 11;
    style.style = TEXT_STYLE_BOLD;
    style.align = TEXT_ALIGN_RIGHT;
    ITextControl text(&plug, {10, 20, 90, 34}, style, "v1.01");
    EntryPlan plan = EntryPlan::ForText(text);
    EXPECT_EQ(plan.kind, EntryPlan::Kind::TextField);
    EXPECT_EQ(plan.area, (IPlugRect{10, 20, 90, 34}));
    EXPECT_EQ(plan.text, "v1.01");
    EXPECT_EQ(plan.align, TEXT_ALIGN_RIGHT);
    EXPECT_TRUE(plan.readOnly);
    EXPECT_EQ(plan.font.face, "Courier");
    EXPECT_EQ(plan.font.size, 11);
    EXPECT_TRUE(plan.font.bold);
    EXPECT_FALSE(plan.font.italic);
    // Any other alignment centres; bold and italic together are neither.
    style.align = 7;
    style.style = TEXT_STYLE_BOLD | TEXT_STYLE_ITALIC;
    ITextControl odd(&plug, {0, 0, 10, 10}, style, nullptr);
    odd.SetEditable(true);
    plan = EntryPlan::ForText(odd);
    EXPECT_EQ(plan.align, TEXT_ALIGN_CENTER);
    EXPECT_FALSE(plan.readOnly);
    EXPECT_FALSE(plan.font.bold || plan.font.italic);
    EXPECT_EQ(plan.text, "");
}

TEST(EntryPlanTest, APopupIsKeptOnTheScreen) {
    const IPlugRect screen{0, 0, 1280, 1024};
    const struct {
        IPlugRect box, placed;
    } cases[] = {
        {{42, 136, 106, 606}, {42, 136, 106, 606}},   // fits where it is
        {{42, 800, 106, 1270}, {42, 554, 106, 1024}}, // moved up
        {{1250, 10, 1314, 60}, {1216, 10, 1280, 60}}, // moved left
        {{-30, -5, 34, 45}, {0, 0, 64, 50}},          // moved right and down
        {{100, 300, 164, 1500}, {100, 0, 164, 1200}}, // taller than the screen: from its top
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepInside(c.box, screen), c.placed)
            << c.box.left << "," << c.box.top << " " << c.box.W() << "x" << c.box.H();
}

TEST_F(TypedEntry, ARightClickOpensTheBoxForTheControlsParameter) {
    RightClick(mode);
    ASSERT_TRUE(Entry().IsOpen());
    ASSERT_EQ(editor->plans.size(), 1u);
    EXPECT_EQ(editor->plans[0].kind, EntryPlan::Kind::ChoiceList);
    EXPECT_EQ(Entry().Control(), mode);
    EXPECT_EQ(Entry().Param(), plug.GetParam(kMode));
    EXPECT_EQ(Entry().GetState(), EntrySession::kIdle);
    EXPECT_EQ(editor->log, "started;");
    // Only one box at a time: another prompt does nothing while it is open.
    RightClick(level);
    editor->PromptText(nullptr);
    EXPECT_EQ(editor->plans.size(), 1u);
    EXPECT_EQ(Entry().Control(), mode);
    // Without a control, a parameter or a box to show, nothing opens.
    Entry().Forget();
    editor->PromptParameter(level, nullptr);
    editor->PromptParameter(nullptr, plug.GetParam(kLevel));
    editor->canShow = false;
    RightClick(level);
    EXPECT_FALSE(Entry().IsOpen());
    EXPECT_EQ(editor->plans.size(), 1u);
}

TEST_F(TypedEntry, TheTickActsOnWhatTheBoxAndTheEditorReported) {
    const struct {
        const char* what;
        std::function<bool(EntrySession&)> report; // answers whether a press goes on
        bool goesOn;
        bool applied;
        bool closed;
    } cases[] = {
        {"nothing", [](EntrySession&) { return true; }, true, false, false},
        {"typing",
         [](EntrySession& e) {
             e.Typing();
             return true;
         },
         true, false, false},
        {"focus lost",
         [](EntrySession& e) {
             e.Idle();
             return true;
         },
         true, false, false},
        {"Enter",
         [](EntrySession& e) {
             e.Commit();
             return true;
         },
         true, true, true},
        {"Escape",
         [](EntrySession& e) {
             e.Take(EntryAction::Cancel);
             return true;
         },
         true, false, true},
        {"a pick",
         [](EntrySession& e) {
             e.Take(EntryAction::Commit);
             return true;
         },
         true, true, true},
        {"a key",
         [](EntrySession& e) {
             e.Take(EntryAction::Typing);
             return true;
         },
         true, false, false},
        {"a left press elsewhere", [](EntrySession& e) { return e.PressInEditor(false); }, true,
         true, true},
        {"a right press elsewhere", [](EntrySession& e) { return e.PressInEditor(true); }, false,
         false, true},
        {"typing, then Enter",
         [](EntrySession& e) {
             e.Typing();
             e.Commit();
             return true;
         },
         true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        plug.GetParam(kLevel)->SetValue(60.0);
        editor->PushValueToControls(kLevel, 60.0, false);
        editor->DrawAll();
        editor->Tick();
        editor->log.clear();
        RightClick(level);
        ASSERT_TRUE(Entry().IsOpen());
        editor->box->text_ = "75";
        EXPECT_EQ(c.report(Entry()), c.goesOn);
        EXPECT_TRUE(plug.host.EditEvents().empty()) << "nothing before the tick";
        editor->Tick();
        EXPECT_EQ(!Entry().IsOpen(), c.closed);
        EXPECT_EQ(editor->log, c.closed ? "started;closed;" : "started;");
        EXPECT_EQ(plug.GetParam(kLevel)->Value(), c.applied ? 75.0 : 60.0);
        if (c.applied) {
            // Applied as a user edit; then the closing box pushes the value once more.
            const auto v = static_cast<float>(plug.GetParam(kLevel)->NormalizedValue());
            EXPECT_EQ(plug.host.EditEvents(),
                      (std::vector<EditEvent>{{EditEvent::Begin, kLevel, 0},
                                              {EditEvent::Automate, kLevel, v},
                                              {EditEvent::End, kLevel, 0},
                                              {EditEvent::Automate, kLevel, v}}));
        } else if (c.closed) {
            EXPECT_EQ(plug.host.EditEvents(),
                      (std::vector<EditEvent>{
                          {EditEvent::Automate, kLevel,
                           static_cast<float>(plug.GetParam(kLevel)->NormalizedValue())}}));
        } else {
            EXPECT_TRUE(plug.host.EditEvents().empty());
            EXPECT_EQ(Entry().GetState(), EntrySession::kIdle) << "typing settles";
            Entry().Forget();
        }
        plug.host.ClearRequests();
    }
}

TEST_F(TypedEntry, AClosedBoxRedrawsItsControlOnTwoTicks) {
    RightClick(level);
    editor->Tick();
    editor->Tick();
    ASSERT_FALSE(level->NeedsDraw());
    Entry().Cancel();
    editor->Tick();
    EXPECT_TRUE(level->NeedsDraw()) << "the control's second pass";
    editor->Tick();
    EXPECT_FALSE(level->NeedsDraw());
}

TEST_F(TypedEntry, ACommitAppliesAtMost999CharactersParsedByTheParameter) {
    const struct {
        std::string typed;
        double value;
    } cases[] = {
        {"42", 42.0},
        {"abc", 0.0},                        // no number: 0
        {"250", 99.0},                       // held to the range
        {std::string(998, '0') + "79", 7.0}, // cut to 999: "0...07"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.substr(0, 8));
        RightClick(level);
        editor->box->text_ = c.typed;
        Entry().Commit();
        editor->Tick();
        EXPECT_EQ(plug.GetParam(kLevel)->Value(), c.value);
    }
    // A choice list's text is its value's name.
    RightClick(mode);
    editor->box->text_ = "Dotted";
    Entry().Commit();
    editor->Tick();
    EXPECT_EQ(plug.GetParam(kMode)->Value(), 1.0);
}

TEST_F(TypedEntry, ATextControlsEntryReplacesItsTextOnlyWhenEditable) {
    IPlugText style;
    auto* text = new ITextControl(&plug, {10, 10, 90, 24}, style, "before");
    editor->AddControl(text);
    for (bool editable : {false, true}) {
        SCOPED_TRACE(editable);
        text->SetEditable(editable);
        editor->PromptText(text);
        ASSERT_TRUE(Entry().IsOpen());
        EXPECT_EQ(Entry().Param(), nullptr);
        EXPECT_EQ(editor->plans.back().readOnly, !editable);
        editor->box->text_ = "after";
        Entry().Commit();
        editor->Tick();
        EXPECT_STREQ(text->Text(), editable ? "after" : "before");
    }
    EXPECT_TRUE(plug.host.EditEvents().empty());
}

TEST_F(TypedEntry, AClosingWindowForgetsTheBoxUnapplied) {
    RightClick(level);
    editor->box->text_ = "12";
    Entry().Commit();
    Entry().Forget();
    EXPECT_FALSE(Entry().IsOpen());
    EXPECT_EQ(editor->log, "started;closed;");
    editor->Tick();
    EXPECT_EQ(plug.GetParam(kLevel)->Value(), 60.0);
    EXPECT_TRUE(plug.host.EditEvents().empty());
    EXPECT_EQ(Entry().Control(), nullptr);
    EXPECT_EQ(Entry().GetState(), EntrySession::kIdle);
}

// A box is laid out for one scale: a change of scale takes it away at once, unapplied unless
// Enter was already pressed; boxes opened after it are laid out at the new scale.
TEST_F(TypedEntry, AScaleChangeTakesAnOpenBoxAway) {
    RightClick(level);
    editor->box->text_ = "12";
    Entry().Typing();
    editor->SetHostScale(2.0);
    EXPECT_FALSE(Entry().IsOpen());
    EXPECT_EQ(editor->log, "started;closed;");
    EXPECT_EQ(plug.GetParam(kLevel)->Value(), 60.0);

    editor->SetHostScale(1.0);
    RightClick(level);
    editor->box->text_ = "12";
    Entry().Commit();
    editor->SetHostScale(1.5);
    EXPECT_FALSE(Entry().IsOpen());
    EXPECT_EQ(plug.GetParam(kLevel)->Value(), 12.0);

    // The same scale again is no change: the box stays.
    MouseKeys right;
    right.right = true;
    const IPlugRect at = editor->Scale().ToDevice(level->DrawRect());
    editor->MouseDown(at.left + 2, at.top + 2, right);
    editor->MouseUp(at.left + 2, at.top + 2, right);
    ASSERT_TRUE(Entry().IsOpen());
    editor->SetHostScale(1.6);
    EXPECT_TRUE(Entry().IsOpen());
    Entry().Forget(); // while the box's log lives
}

TEST(EditorKeys, OneTableForEveryWindowLayer) {
    const struct {
        int key, code;
    } cases[] = {
        {32, 0},   {38, 1},  {40, 2},  {37, 3},   {39, 4},   {48, 5},   {57, 14},
        {65, 15},  {90, 40}, {97, 15}, {122, 40}, {112, 30}, {31, -1},  {33, -1},
        {36, -1},  {41, -1}, {47, -1}, {58, -1},  {64, -1},  {91, -1},  {96, -1},
        {123, -1}, {13, -1}, {27, -1}, {0, -1},   {-1, -1},  {255, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditorKeyCode(c.key), c.code) << c.key;
}

} // namespace
