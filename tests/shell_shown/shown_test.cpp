// Acting on the rows shown: the filter bar with Show Changes Only and rescans, Export CSV of the rows shown, and
// deleting entries from the real cache.
#include <windows.h>
#include <wininet.h>
#include <set>
#include "window_fixture.h"

namespace {

struct ShownTest : MainWindowTest {
    static HWND FilterBox() { return GetDlgItem(window, IDC_FILTER_TEXT); }
    // Pumps the window's messages for a while: long enough for the filter's delay.
    static void Pump(DWORD milliseconds)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
            MSG message;
            while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
                TranslateMessage(&message), DispatchMessageA(&message);
            Sleep(10);
        }
    }
    // Types the text into the filter bar and lets the rows follow it.
    static void Filter(const char* text)
    {
        Command(IDM_FILTER);
        SetWindowTextA(FilterBox(), text);
        Pump(600);
    }
    // The rows' URLs without the site, in the rows' order.
    static Texts Names()
    {
        Texts names;
        for (int row = 0; row < RowCount(); row++)
            names.push_back(Cell(row, 1).substr(Site.size()));
        return names;
    }
    static std::set<std::string> CachedUrls()
    {
        std::set<std::string> urls;
        BYTE buffer[8192];
        auto* info = (INTERNET_CACHE_ENTRY_INFOA*)buffer;
        DWORD size = sizeof(buffer);
        HANDLE found = FindFirstUrlCacheEntryA(NULL, info, &size);
        for (BOOL more = found != NULL; more; size = sizeof(buffer), more = FindNextUrlCacheEntryA(found, info, &size))
            if (strncmp(info->lpszSourceUrlName, Site.c_str(), Site.size()) == 0)
                urls.insert(info->lpszSourceUrlName + Site.size());
        if (found)
            FindCloseUrlCache(found);
        return urls;
    }
};

// The list sorted by URL, so that the rows' order is known.
void SortByUrl()
{
    PutDwordSetting("Sort Column", 1);
    PutDwordSetting("Sort Direction", 0);
}

}  // namespace

// Every word must be in the URL, local file or header, whatever its case; a word with '-' must not. The filter stays
// through a rescan, combines with Show Changes Only, decides what Export CSV writes, and Esc clears it.
TEST_F(ShownTest, TheFilterNarrowsTheRowsAndWhatIsExported)
{
    SortByUrl();
    ASSERT_NE(Seed("alpha/page.htm", "HTTP/1.1 200 OK\r\nX-Note: Gamma\r\n\r\n"), "");
    ASSERT_NE(Seed("alpha/style.css"), "");
    ASSERT_NE(Seed("beta/page.htm"), "");
    ASSERT_TRUE(Open());
    ASSERT_EQ(RowCount(), 3);

    Filter("ALPHA");
    RECT box, list;
    GetWindowRect(FilterBox(), &box), GetWindowRect(g_app.listView, &list);
    EXPECT_TRUE(IsWindowVisible(FilterBox()));
    EXPECT_LE(box.bottom, list.top);    // the list made room
    EXPECT_EQ(Names(), Texts({"alpha/page.htm", "alpha/style.css"}));
    EXPECT_EQ(StatusText(2), "Showing 2 of 3");
    Filter("  alpha   -css ");
    EXPECT_EQ(Names(), Texts({"alpha/page.htm"}));
    Filter("gamma");
    EXPECT_EQ(Names(), Texts({"alpha/page.htm"}));
    Filter("page -GAMMA");
    EXPECT_EQ(Names(), Texts({"beta/page.htm"}));

    Filter("page");
    ASSERT_NE(Seed("gamma/page.htm"), "");
    ASSERT_NE(Seed("gamma/other.js"), "");
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Names(), Texts({"alpha/page.htm", "beta/page.htm", "gamma/page.htm"}));
    EXPECT_EQ(StatusText(2), "Showing 3 of 5");
    Command(IDM_SHOW_CHANGES_ONLY);
    EXPECT_EQ(Names(), Texts({"gamma/page.htm"}));
    EXPECT_EQ(StatusText(2), "Showing 1 of 5");

    TempFile csv("shown.csv");
    answer = csv.path;
    Command(IDM_EXPORT_CSV);
    std::string written = csv.Read();
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << written;
    EXPECT_NE(written.find(Site + "gamma/page.htm"), std::string::npos);
    Command(IDM_SHOW_CHANGES_ONLY);
    Command(IDM_EXPORT_CSV);
    written = csv.Read();
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 4) << written;
    EXPECT_EQ(written.find("other.js"), std::string::npos);

    SendMessageA(FilterBox(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindowVisible(FilterBox()));
    GetWindowRect(g_app.listView, &list);
    EXPECT_LT(list.top, box.top);       // and took it back
    EXPECT_EQ(RowCount(), 5);
    EXPECT_EQ(Names()[4], "gamma/page.htm");
}

// The shown entries go from the real cache after the confirmation, their rows then read Deleted; an entry in use is
// counted with the system's reason; "No" deletes nothing; a row that is no longer in the cache cannot be deleted.
TEST_F(ShownTest, DeletingTakesTheShownEntriesOutOfTheCache)
{
    SortByUrl();
    for (const char* name : {"go1.htm", "go2.htm", "keep.htm", "locked.htm"})
        ASSERT_NE(Seed(name), "");
    ASSERT_TRUE(Open());
    BYTE buffer[4096];
    DWORD size = sizeof(buffer);
    ASSERT_TRUE(RetrieveUrlCacheEntryFileA((Site + "locked.htm").c_str(), (INTERNET_CACHE_ENTRY_INFOA*)buffer, &size, 0));

    Filter("-keep");
    actions.push_back([](HWND box) { PostMessageA(box, WM_COMMAND, IDNO, 0); });
    Command(IDM_DELETE_SHOWN);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("Delete the 3 entries shown"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find("cannot be undone"), std::string::npos);
    EXPECT_EQ(CachedUrls().size(), 4u);

    actions.push_back([](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); });
    Command(IDM_DELETE_SHOWN);
    EXPECT_EQ(CachedUrls(), std::set<std::string>({"keep.htm", "locked.htm"}));
    EXPECT_EQ(Cells(), StatusMap({{Site + "go1.htm", "Deleted"}, {Site + "go2.htm", "Deleted"},
                                  {Site + "locked.htm", "Rvst'd"}}));
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[2].text.find("2 deleted from the cache, 0 skipped (not entries of the cache), 1 could not be "
                                 "deleted now"), std::string::npos) << shown[2].text;
    EXPECT_NE(shown[2].text.find(Site + "locked.htm\r\n\r\n" + SystemText(ERROR_SHARING_VIOLATION)),
              std::string::npos) << shown[2].text;
    // The cache deletes the entry in use once it is let go.
    UnlockUrlCacheEntryFileA((Site + "locked.htm").c_str(), 0);
    EXPECT_EQ(CachedUrls(), std::set<std::string>({"keep.htm"}));

    // A Deleted row is no entry of the cache any more: grayed, and its shortcut only beeps.
    Select(0);
    HMENU action = GetSubMenu(GetMenu(window), 0);
    SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)action, 0);
    EXPECT_TRUE(GetMenuState(action, IDM_DELETE_ENTRY, MF_BYCOMMAND) & MF_GRAYED);
    Command(IDM_DELETE_ENTRY);
    EXPECT_EQ(shown.size(), 3u);

    SendMessageA(FilterBox(), WM_KEYDOWN, VK_ESCAPE, 0);
    Select(RowOf(Site + "keep.htm"));
    actions.push_back([](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); });
    Command(IDM_DELETE_ENTRY);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_NE(shown[3].text.find(Site + "keep.htm"), std::string::npos) << shown[3].text;
    EXPECT_TRUE(CachedUrls().empty());
    EXPECT_EQ(Cells()[Site + "keep.htm"], "Deleted");
}
