#pragma once

// An instance of the DLL's effect with its editor open in a host window, drawn by its timer.
#include "wine_environment.h"
#include "wine_support.h"

#include <gtest/gtest.h>

#include <cstdio>

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A frame of the size the editor asks for, as hosts make.
        ERect* rect = nullptr;
        ASSERT_EQ(fx.Dispatch(effEditGetRect, 0, 0, &rect), 1);
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
        frame = MakeFrame("Velmorande", 40, 40, width, height);
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

    // The window's pixels and the screen's both match the editor's off-screen bitmap, of the
    // size the editor asked for unless another is given.
    void CheckShownPixels(const char* when, int w = 0, int h = 0) {
        if (!w) w = width;
        if (!h) h = height;
        // A change is drawn on the next two ticks.
        EXPECT_TRUE(WaitTicks(3));
        RECT client{};
        GetClientRect(editor, &client);
        EXPECT_EQ(client.right, w) << when;
        EXPECT_EQ(client.bottom, h) << when;
        const Pixels shown = CaptureWindow(editor);
        RECT screen{};
        GetWindowRect(editor, &screen);
        const Pixels onScreen = CaptureScreen(screen);
        EditorPicture picture;
        ASSERT_TRUE(Picture(fx, picture));
        EXPECT_EQ(picture.width, w) << when;
        EXPECT_EQ(picture.height, h) << when;
        const int windowDiff = ColourDifferences(*shown, picture);
        const int screenDiff = ColourDifferences(*onScreen, picture);
        std::printf("   %s: %d window pixels and %d screen pixels differ from the bitmap\n", when,
                    windowDiff, screenDiff);
        EXPECT_EQ(windowDiff, 0) << when;
        EXPECT_EQ(screenDiff, 0) << when;
        EXPECT_GT(DistinctColours(*shown), 50) << when;
    }

    HostedPlugin fx{Suite().entry};
    int width = 0, height = 0;
    HWND frame = nullptr;
    HWND editor = nullptr;
};
