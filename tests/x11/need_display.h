#pragma once

#include "x11/x11_test_host.h"

#include <gtest/gtest.h>

#include <cstdlib>

// Display tests run wherever there is a display; the test command provides one and then
// insists on it, so they never skip silently there.
inline void NeedDisplay() {
    if (X11TestHost::HaveDisplay()) return;
    if (std::getenv("VELMORANDE_X11_REQUIRED")) FAIL() << "the test command gave no X display";
    GTEST_SKIP() << "no X display";
}
