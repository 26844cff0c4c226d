#pragma once

// An instance of the DLL's effect with its editor open in a host window, drawn by its timer.
#include "wine_environment.h"
#include "wine_support.h"

#include <gtest/gtest.h>

#include <cstdio>

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = MakeFrame("Velmorande", 40, 40);
        ASSERT_NE(frame, nullptr);
        EXPECT_FALSE(ClassRegistered(Suite().Module()));
        ASSERT_NE(fx.Dispatch(effEditOpen, 0, 0, frame), 0);
        editor = EditorIn(frame);
        ASSERT_NE(editor, nullptr);
        Pump(400);
    }
    void TearDown() override {
        fx.Dispatch(effEditClose);
        DestroyWindow(frame);
        Pump(50);
    }

    // The window's pixels and the screen's both match the editor's off-screen bitmap.
    void CheckShownPixels(const char* when) {
        // A change is drawn on the next two ticks.
        EXPECT_TRUE(WaitTicks(3));
        const Pixels shown = CaptureWindow(editor);
        RECT screen{};
        GetWindowRect(editor, &screen);
        const Pixels onScreen = CaptureScreen(screen);
        EditorPicture picture;
        ASSERT_TRUE(Picture(fx, picture));
        EXPECT_EQ(picture.width, 530);
        EXPECT_EQ(picture.height, 210);
        const int windowDiff = ColourDifferences(*shown, picture);
        const int screenDiff = ColourDifferences(*onScreen, picture);
        std::printf("   %s: %d window pixels and %d screen pixels differ from the bitmap\n", when,
                    windowDiff, screenDiff);
        EXPECT_EQ(windowDiff, 0) << when;
        EXPECT_EQ(screenDiff, 0) << when;
        EXPECT_GT(DistinctColours(*shown), 50) << when;
    }

    Effect fx{Suite().entry};
    HWND frame = nullptr;
    HWND editor = nullptr;
};
