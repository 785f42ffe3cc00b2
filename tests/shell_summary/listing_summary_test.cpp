#include <gtest/gtest.h>
#include <string>
#include <windows.h>
#include <commctrl.h>
#include "listing_summary.h"
#include "app_state.h"
#include "listing_builder.h"

namespace {

// A real two-part status bar like the main window's, in a hidden top-level window.
struct StatusBarWindow {
    HWND frame = NULL;
    StatusBarWindow()
    {
        InitCommonControls();
        WNDCLASSA frameClass = {};
        frameClass.lpfnWndProc = DefWindowProcA;
        frameClass.hInstance = GetModuleHandleA(NULL);
        frameClass.lpszClassName = "SummaryTestFrame";
        RegisterClassA(&frameClass);
        frame = CreateWindowExA(0, "SummaryTestFrame", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 900, 300, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
        g_app.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame, NULL,
                                          GetModuleHandleA(NULL), NULL);
        int edges[2] = {600, -1};
        SendMessageA(g_app.statusBar, SB_SETPARTS, 2, (LPARAM)edges);
    }
    ~StatusBarWindow()
    {
        DestroyWindow(frame);
        g_app.statusBar = NULL;
    }
    std::string Text(int part)
    {
        char text[512] = "";
        SendMessageA(g_app.statusBar, SB_GETTEXTA, part, (LPARAM)text);
        return text;
    }
};

}  // namespace

TEST(ShowListingSummary, WritesTheSizesAndTheStraysOnlyWhileStraysAreIncluded)
{
    StatusBarWindow window;
    ASSERT_NE(g_app.statusBar, (HWND)NULL);
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 1, (LPARAM)"earlier");
    TestListing listing;
    listing->clusterSize = 4096;
    AddEntry(listing.get(), "http://u/", "C:\\c\\s\\u")->size = 5000;
    AddEntry(listing.get(), nullptr, "C:\\c\\s\\stray")->size = 0xFFFFFFFF;

    g_app.settings.includeStrays = 0;
    ShowListingSummary(listing.get());
    EXPECT_EQ(window.Text(0),
              "CurSize: 4294975488   Amt added: 0   Amt Del'd: 0   NumEntries: 1   ClusterSize: 4096");
    EXPECT_EQ(window.Text(1), "earlier");

    g_app.settings.includeStrays = 1;
    ShowListingSummary(listing.get());
    EXPECT_EQ(window.Text(1), "Size of strays: 4294967296   NumStrays: 1");
    g_app.settings.includeStrays = 0;
}
