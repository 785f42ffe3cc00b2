// The real main window in the test process: started as the program starts it, read back from its
// controls, its modal windows answered, ended in order. One per process: window and logs are shared.
#ifndef BRINDLEWICK_TEST_WINDOW_FIXTURE_H
#define BRINDLEWICK_TEST_WINDOW_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// A message box or dialog as it first became active.
struct ShownWindow {
    std::string caption;
    std::string text;   // a message box's text (a dialog's first static text)
};

struct MainWindowTest : ::testing::Test {
    static HWND window;
    static std::vector<ShownWindow> shown;
    // Run in order for the next modal windows; one with none left gets OK.
    static std::deque<std::function<void(HWND)>> actions;

    // An empty cache, no settings key, no modal window noted.
    void SetUp() override;
    void TearDown() override;

    // Start-up up to the message loop, the first scan included.
    static HWND Open();
    // Destroys the window if it stands, lets the quit message through, frees what start-up made.
    static void Close();
    // A command, and the long work it starts run to its end.
    static void Command(UINT id) { SendMessageA(window, WM_COMMAND, id, 0), WaitForWork(); }
    // Pumps the thread's messages until no long work runs (at most a minute).
    static bool WaitForWork();
    static bool Checked(UINT id);

    static int RowCount();
    static std::string Cell(int row, int column);
    static std::vector<std::string> Column(int column);
    static std::string StatusText(int part);
    // What the main window answers to a header click on the column.
    static void ClickHeader(int column);
    // Removes and dispatches queued messages; true when the quit message came.
    static bool PumpUntilIdle();
};

#endif
