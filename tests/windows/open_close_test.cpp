// The editor window opened and closed again, moved to another parent, shared by two
// instances, and taken away with its effect.
#include "editor_fixture.h"

class OpenClose : public EditorTest {};

TEST_F(OpenClose, ClosedAndReopenedItIsDrawnAgain) {
    fx.Dispatch(effEditClose);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(EditorIn(frame), nullptr);
    EXPECT_FALSE(ClassRegistered(Suite().Module()));
    ASSERT_NE(fx.Dispatch(effEditOpen, 0, 0, frame), 0);
    editor = EditorIn(frame);
    ASSERT_NE(editor, nullptr);
    CheckShownPixels("re-opened");
}

TEST_F(OpenClose, OpenedIntoAnotherParentItMovesThere) {
    // Same size and relative place.
    HWND frame2 = MakeFrame("Velmorande 2", 620, 40);
    EXPECT_NE(fx.Dispatch(effEditOpen, 0, 0, frame2), 0);
    EXPECT_EQ(EditorIn(frame), nullptr);
    HWND moved = EditorIn(frame2);
    ASSERT_NE(moved, nullptr);
    const RECT r = ChildRect(moved, frame2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 530);
    EXPECT_EQ(r.bottom, 210);
    fx.Dispatch(effEditClose);
    DestroyWindow(frame2);
}

TEST_F(OpenClose, TheClassStaysRegisteredUntilTheLastEditorCloses) {
    HostedPlugin second(Suite().entry);
    HWND frame2 = MakeFrame("Velmorande 2", 620, 40);
    ASSERT_NE(second.Dispatch(effEditOpen, 0, 0, frame2), 0);
    Pump(100);
    EXPECT_NE(EditorIn(frame2), nullptr);
    fx.Dispatch(effEditClose);
    EXPECT_TRUE(ClassRegistered(Suite().Module()));
    second.Dispatch(effEditClose);
    EXPECT_FALSE(ClassRegistered(Suite().Module()));
    DestroyWindow(frame2);
}

TEST_F(OpenClose, ClosingTheEffectTakesItsWindow) {
    fx.Close();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_FALSE(ClassRegistered(Suite().Module()));
}

TEST(DllModule, LoadedOncePerProcess) {
    HMODULE again = LoadLibraryA(Suite().dllPath.c_str());
    EXPECT_EQ(again, Suite().Module());
    EXPECT_TRUE(FreeLibrary(again));
}
