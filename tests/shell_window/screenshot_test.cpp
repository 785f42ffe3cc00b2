#include <gtest/gtest.h>
#include <stdio.h>
#include <string>
#include <windows.h>
#include "app_state.h"
#include "cache_seed.h"
#include "sample_cache.h"
#include "window_capture.h"
#include "window_fixture.h"

// Leaves a picture of the real window over a seeded cache for a person to look at.
TEST_F(MainWindowTest, ScreenshotOfTheWindowWithSampleRows)
{
    int seeded = SeedSampleCache(200, MakeFileTime(2005, 3, 9, 18, 30));
    ASSERT_GT(seeded, 150);
    ASSERT_TRUE(Open());
    SetWindowPos(window, NULL, 20, 20, 1200, 700, SWP_NOZORDER);
    // Every twentieth sample is a cookie, which the default options leave out.
    EXPECT_EQ(RowCount(), seeded - seeded / 20);
    std::string hostPath;
    std::string path = TestOutputPath("main_window.png", &hostPath);
    ASSERT_TRUE(SaveWindowPng(window, path));
    printf("Screenshot of the main window: %s\n", hostPath.c_str());
}
