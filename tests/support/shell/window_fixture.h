// Runs the real main window in the test process: start-up as the program does
// it, texts read back from the controls, and an orderly end.
#ifndef BRINDLEWICK_TEST_WINDOW_FIXTURE_H
#define BRINDLEWICK_TEST_WINDOW_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

struct MainWindowTest : ::testing::Test {
    HWND window = NULL;

    // An empty cache and no settings key.
    void SetUp() override;
    void TearDown() override;

    // Start-up up to the message loop, the first scan included.
    HWND Open();
    // Destroys the window if it still stands, lets the quit message through and
    // frees what the start-up made.
    void Close();

    static int RowCount();
    static std::string Cell(int row, int column);
    // One column of every row, top to bottom.
    static std::vector<std::string> Column(int column);
    static std::string StatusText(int part);
    // What the main window answers to a header click on the column.
    void ClickHeader(int column);
    // Removes and dispatches queued messages; true when the quit message came.
    static bool PumpUntilIdle();
};

#endif
