// The everyday use of the real window: Find, Show Changes Only, the selection, the row menu, Properties, shortcuts.
#include <regex>
#include "columns.h"
#include "window_fixture.h"

namespace {

std::string menuItems;      // the row menu as it opened: its captions, "-" before a grayed one
std::vector<UINT> shortcuts;    // commands that came from the accelerator table
Texts statusTexts;          // the texts of status bar part 0, in order
WNDPROC frameProc, statusProc;

// On the main window: notes the row menu's items when it opens and closes it again, notes and swallows
// shortcut commands. On the status bar: notes the texts of part 0.
LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char text[64];
    if (window == g_app.statusBar) {
        if (message == SB_SETTEXTA && LOBYTE(wParam) == 0)
            statusTexts.push_back((const char*)lParam);
        return CallWindowProcA(statusProc, window, message, wParam, lParam);
    }
    for (int i = 0; message == WM_INITMENUPOPUP && i < GetMenuItemCount((HMENU)wParam); i++) {
        GetMenuStringA((HMENU)wParam, i, text, sizeof(text), MF_BYPOSITION);
        bool grayed = GetMenuState((HMENU)wParam, i, MF_BYPOSITION) & MF_GRAYED;
        menuItems += text[0] ? (grayed ? "-" : "") + std::string(text, strcspn(text, "\t")) + "|" : "";
    }
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU)
        EndMenu();
    if (message == WM_COMMAND && HIWORD(wParam) == 1) {
        shortcuts.push_back(LOWORD(wParam));
        return 0;
    }
    return CallWindowProcA(frameProc, window, message, wParam, lParam);
}

// "CF_TEXT|CF_UNICODETEXT", the second converted to the ANSI code page; then the clipboard is emptied.
std::string TakeClipboard()
{
    char wide[4096] = "";
    OpenClipboard(NULL);
    HANDLE ansi = GetClipboardData(CF_TEXT), unicode = GetClipboardData(CF_UNICODETEXT);
    if (unicode)
        WideCharToMultiByte(CP_ACP, 0, (const WCHAR*)GlobalLock(unicode), -1, wide, sizeof(wide), NULL, NULL);
    std::string texts = std::string(ansi ? (const char*)GlobalLock(ansi) : "") + "|" + wide;
    EmptyClipboard();
    CloseClipboard();
    return texts;
}

// The real window with the frame and the status bar watched.
struct EverydayTest : MainWindowTest {
    static HWND OpenWindow()
    {
        shortcuts.clear();
        if (!Open())
            return NULL;
        frameProc = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)Watch);
        statusProc = (WNDPROC)SetWindowLongPtrA(g_app.statusBar, GWLP_WNDPROC, (LONG_PTR)Watch);
        return window;
    }
    // Each row as "<URL after the site> <status>"; the status bar's parts, their texts.
    static Texts Rows()
    {
        Texts rows;
        for (int row = 0; row < RowCount(); row++)
            rows.push_back(Cell(row, 1).substr(Site.size()) + " " + Cell(row, 2));
        return rows;
    }
    static int Parts() { return (int)SendMessageA(g_app.statusBar, SB_GETPARTS, 0, 0); }
    // Runs the real message loop over one posted key pressed with its modifier.
    static void PressKey(HWND target, BYTE key, BYTE modifier)
    {
        BYTE keys[256] = {};
        keys[modifier] = 0x80;
        SetKeyboardState(keys);
        PostMessageA(target, modifier == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN, key, modifier == VK_MENU ? 0x20000001 : 1);
        PostQuitMessage(0);
        RunMessageLoop();
        keys[modifier] = 0;
        SetKeyboardState(keys);
    }
};

}  // namespace

// Find looks in the URL, local file and header of the rows in their order, wraps around, minds case when
// asked, and says "Not found" without moving; F3 and Shift+F3 repeat the last search from the main window,
// whose shortcuts all reach their commands. With Show Changes Only the rows and their actions are the changed
// entries' in order, with "Showing N of M"; it holds across a sort, a rescan and Remove Deletions, and Save
// Listing still writes every entry.
TEST_F(EverydayTest, FindShortcutsAndShowChangesOnly)
{
    ASSERT_NE(Seed("a-needle.htm"), "");
    ASSERT_NE(Seed("b.htm", "HTTP/1.1 200 OK\r\nX-Note: NEEDLE\r\n\r\n"), "");
    ASSERT_NE(Seed("c.css", "", "needle"), "");
    ASSERT_NE(Seed("d.htm"), "");
    ASSERT_TRUE(OpenWindow());
    ClickHeader(1);
    ClickHeader(1);
    ASSERT_EQ(Rows(), (Texts{"a-needle.htm ", "b.htm ", "c.css ", "d.htm "}));
    Command(IDM_FIND);
    HWND dialog = g_app.findDialog;
    ASSERT_TRUE(IsWindowVisible(dialog));
    const struct { const char* text; bool matchCase; int button, row; const char* result; } steps[] = {
        {"needle", false, IDC_FIND_NEXT, 0, ""}, {"needle", false, IDC_FIND_NEXT, 1, ""},
        {"needle", false, IDC_FIND_NEXT, 2, ""}, {"needle", false, IDC_FIND_NEXT, 0, ""},
        {"needle", false, IDC_FIND_PREVIOUS, 2, ""}, {"needle", true, IDC_FIND_PREVIOUS, 0, ""},
        {"NEEDLE", true, IDC_FIND_NEXT, 1, ""}, {"NEEDLE", true, IDC_FIND_NEXT, 1, ""},
        {"haystack", false, IDC_FIND_NEXT, 1, "Not found"}, {"Needle", false, IDC_FIND_NEXT, 2, ""}};
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.text) + (s.matchCase ? " case" : "") + " to row " + std::to_string(s.row));
        SetDlgItemTextA(dialog, IDC_FIND_TEXT, s.text);
        CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, s.matchCase ? BST_CHECKED : BST_UNCHECKED);
        SendMessageA(dialog, WM_COMMAND, s.button, 0);
        char result[32] = "";
        GetDlgItemTextA(dialog, IDC_FIND_RESULT, result, sizeof(result));
        EXPECT_EQ(std::make_pair(Selected(), std::string(result)), std::make_pair(s.row, std::string(s.result)));
    }
    // In the message loop the dialog keeps its own keys: Enter is Find Next, Ctrl+C copies its text.
    HWND text = GetDlgItem(dialog, IDC_FIND_TEXT);
    PressKey(text, VK_RETURN, 0);
    SendMessageA(text, EM_SETSEL, 0, -1);
    PressKey(text, 'C', VK_CONTROL);
    EXPECT_EQ(std::make_tuple(Selected(), TakeClipboard(), shortcuts.size()),
              std::make_tuple(0, std::string("Needle|Needle"), 0u));
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Command(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), 1);
    Command(IDM_FIND_PREVIOUS);
    EXPECT_EQ(Selected(), 0);
    // Each shortcut of the main window reaches its command through the message loop (TranslateAcceleratorA).
    const struct { BYTE key, modifier; UINT command; } keys[] = {
        {VK_F5, 0, IDM_SCAN_CACHE}, {'O', VK_CONTROL, IDM_LOAD_NEW_LISTING}, {'S', VK_CONTROL, IDM_SAVE_LISTING},
        {'F', VK_CONTROL, IDM_FIND}, {VK_F3, 0, IDM_FIND_NEXT}, {VK_F3, VK_SHIFT, IDM_FIND_PREVIOUS},
        {'H', VK_CONTROL, IDM_SHOW_CHANGES_ONLY}, {'C', VK_CONTROL, IDM_COPY_URL}, {VK_RETURN, VK_MENU, IDM_PROPERTIES}};
    for (const auto& k : keys) {
        shortcuts.clear();
        PressKey(g_app.listView, k.key, k.modifier);
        EXPECT_EQ(shortcuts, std::vector<UINT>{k.command}) << k.command;
    }
    // d.htm goes, b.htm is visited, new.htm comes.
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "d.htm").c_str()));
    FILETIME later = MakeFileTime(2031, 5, 6);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "b.htm", &later, NULL, NULL));
    std::string added = Seed("new.htm", "", "htm");
    Command(IDM_SCAN_CACHE);
    ClickHeader(1);
    std::string totals = StatusText(0) + StatusText(1);
    Command(IDM_SHOW_CHANGES_ONLY);
    EXPECT_EQ(std::make_pair(Rows(), Checked(IDM_SHOW_CHANGES_ONLY)),
              std::make_pair(Texts{"new.htm Added", "d.htm Deleted", "b.htm Rvst'd"}, true));
    EXPECT_EQ(std::make_tuple(StatusText(0) + StatusText(1), Parts(), StatusText(2)),
              std::make_tuple(totals, 3, std::string("Showing 3 of 5")));
    Select(0);
    Command(IDM_OPEN_ENTRY);
    EXPECT_EQ(shellCalls, Texts{"open " + added + " show 5"});
    ClickHeader(1);
    EXPECT_EQ(Rows(), (Texts{"b.htm Rvst'd", "d.htm Deleted", "new.htm Added"}));
    TempFile report("brindlewick everyday.txt");
    answer = report.path;
    Command(IDM_SAVE_LISTING);
    std::string lines = report.Read();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2 + 5);
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Rows(), Texts{"d.htm Deleted"});
    EXPECT_EQ(StatusText(2), "Showing 1 of 5");
    Command(IDM_REMOVE_DELETIONS);
    EXPECT_EQ(std::make_pair(RowCount(), StatusText(2)), std::make_pair(0, std::string("Showing 0 of 4")));
    Command(IDM_SHOW_CHANGES_ONLY);
    EXPECT_EQ(std::make_tuple(Rows(), Checked(IDM_SHOW_CHANGES_ONLY), Parts()),
              std::make_tuple(Texts{"a-needle.htm ", "b.htm ", "c.css ", "new.htm "}, false, 2));
}

// The selected entry stays selected and in view across header clicks, rescans and Remove Deletions, until it
// is gone; the sorted column's header carries the arrow of its direction. A scan of thousands of entries shows
// how many it has read in status bar part 0, then the totals.
TEST_F(EverydayTest, SelectionFollowsItsEntryTheHeaderShowsTheSortArrowAndAScanItsProgress)
{
    for (int i = 0; i < 3000; i++)
        ASSERT_NE(Seed("page" + std::to_string(i) + ".htm"), "") << i;
    ASSERT_TRUE(OpenWindow());
    SetWindowPos(window, NULL, 0, 0, 700, 300, SWP_NOMOVE | SWP_NOZORDER);
    Select(RowOf(Site + "page7.htm"));
    auto gone = [](const char* name) { ASSERT_TRUE(DeleteUrlCacheEntryA((Site + name).c_str())); };
    const struct { const char* name; std::function<void()> action; const char* arrow; bool kept; } steps[] = {
        {"start", [] {}, "5v", true}, {"by URL", [] { ClickHeader(1); }, "1v", true},
        {"reversed", [] { ClickHeader(1); }, "1^", true},
        {"rescan", [] { Seed("page70.htm"); Command(IDM_SCAN_CACHE); }, "1^", true},
        {"remove", [&] { gone("page3.htm"); Command(IDM_SCAN_CACHE); Command(IDM_REMOVE_DELETIONS); }, "1^", true},
        {"deleted", [&] { gone("page7.htm"); Command(IDM_SCAN_CACHE); ClickHeader(2); }, "2^", true},
        {"gone", [] { Command(IDM_REMOVE_DELETIONS); }, "2^", false}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        s.action();
        std::string arrows;
        for (int i = 0; i < COLUMN_COUNT; i++) {
            HDITEMA item = {};
            item.mask = HDI_FORMAT;
            SendMessageA((HWND)SendMessageA(g_app.listView, LVM_GETHEADER, 0, 0), HDM_GETITEMA, i, (LPARAM)&item);
            arrows += item.fmt & (HDF_SORTUP | HDF_SORTDOWN) ? std::to_string(i) + (item.fmt & HDF_SORTUP ? "^" : "v") : "";
        }
        int row = Selected(), top = (int)SendMessageA(g_app.listView, LVM_GETTOPINDEX, 0, 0);
        bool inView = row >= top && row < top + SendMessageA(g_app.listView, LVM_GETCOUNTPERPAGE, 0, 0);
        EXPECT_EQ(std::make_tuple(row < 0 ? "" : Cell(row, 1), inView, arrows),
                  std::make_tuple(s.kept ? Site + "page7.htm" : "", s.kept, std::string(s.arrow)));
    }
    statusTexts.clear();
    Command(IDM_SCAN_CACHE);
    ASSERT_GE(statusTexts.size(), 2u);
    EXPECT_EQ(statusTexts.front(), "Reading cache: 256 entries");
    for (size_t i = 1; i + 1 < statusTexts.size(); i++)
        EXPECT_TRUE(std::regex_match(statusTexts[i], std::regex("Reading cache: \\d{1,3}(,\\d{3})? entries"))) << i;
    EXPECT_EQ(statusTexts.back().substr(0, 9), "CurSize: ");
    EXPECT_EQ(statusTexts.back(), StatusText(0));
}

// The row menu grays what does not apply to its row; its items copy the row's texts (CF_TEXT and
// CF_UNICODETEXT), open the file or its folder, save a copy of the file, or say that the file is gone; Properties
// shows every field in full: times in local time with their zone (daylight saving as on that date) and in UTC,
// size in bytes and KB, flags by name, one header per line.
TEST_F(EverydayTest, RowMenuActsOnTheRowOrGraysWhatDoesNotApplyAndPropertiesShowItInEveryZone)
{
    PutDwordSetting("Include Strays", 1);
    std::string url = Site + "caf\xe9.htm", content(3000, 'x');
    std::string file = SeedCacheEntry({url, content, NORMAL_ENTRY, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                       "X-Cache: HIT\r\n\r\n", {0, 0}, MakeFileTime(2005, 7, 1, 12), "htm"});
    FILETIME access = MakeFileTime(2005, 1, 20, 8, 30), none = {};
    access.dwLowDateTime += 1234567;    // and a fraction of a second
    ASSERT_TRUE(SetCacheEntryTimes(url, &access, NULL, NULL) && SetCacheEntryCounters(url, 5, 600));
    TempFile stray("brindlewick stray"), copy("brindlewick copy.htm");
    stray.path = file.substr(0, file.rfind('\\')) + "\\stray.dat";
    ASSERT_TRUE(stray.Write("s") && copy.Write("old"));
    ASSERT_TRUE(CommitUrlCacheEntryA((Site + "nofile.htm").c_str(), NULL, none, none, NORMAL_ENTRY, NULL, 0, NULL, NULL));
    ASSERT_TRUE(OpenWindow());
    const std::string tail = "Delete Shown Entries From Cache...|Properties|";
    const std::string all = "Open|Open Containing Folder|Copy URL|Copy Local File Path|Copy Row|"
                            "Save Cached File As...|Save Cached Files To Folder...|Delete From Cache...|" + tail;
    const struct { std::string key, items; } rows[] = {
        {url, all}, {"", "Open|Open Containing Folder|-Copy URL|Copy Local File Path|Copy Row|Save Cached File As...|"
                         "Save Cached Files To Folder...|-Delete From Cache...|" + tail},
        {Site + "nofile.htm", "-Open|-Open Containing Folder|Copy URL|-Copy Local File Path|Copy Row|"
                              "-Save Cached File As...|Save Cached Files To Folder...|Delete From Cache...|" + tail}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.key);
        RECT place = {LVIR_LABEL, 0, 0, 0};
        SendMessageA(g_app.listView, LVM_GETITEMRECT, RowOf(r.key), (LPARAM)&place);
        POINT at = {place.left + 5, place.top + 2};
        ClientToScreen(g_app.listView, &at);
        menuItems.clear();
        SendMessageA(window, WM_CONTEXTMENU, (WPARAM)g_app.listView, MAKELPARAM(at.x, at.y));
        EXPECT_EQ(std::make_pair(Selected(), menuItems), std::make_pair(RowOf(r.key), r.items));
    }
    int row = RowOf(url);
    Select(row);
    menuItems.clear();
    SendMessageA(window, WM_CONTEXTMENU, (WPARAM)g_app.listView, -1);
    EXPECT_EQ(menuItems, all);
    std::string cells;
    for (int column = 0; column < COLUMN_COUNT; column++)
        cells += Cell(row, column) + (column < COLUMN_COUNT - 1 ? "\t" : "\r\n");
    answer = copy.path;
    const struct { UINT command; std::string clipboard, shell, copied; } items[] = {
        {IDM_COPY_URL, url + "|" + url, "", "old"}, {IDM_COPY_LOCAL_FILE, file + "|" + file, "", "old"},
        {IDM_COPY_ROW, cells + "|" + cells, "", "old"}, {IDM_OPEN_ENTRY, "|", "open " + file + " show 5", "old"},
        {IDM_OPEN_CONTAINING_FOLDER, "|", "open explorer.exe [/select,\"" + file + "\"] show 1", "old"},
        {IDM_SAVE_CACHED_FILE, "|", "", content}};
    for (const auto& item : items) {
        SCOPED_TRACE(item.command);
        shellCalls.clear();
        Command(item.command);
        EXPECT_EQ(std::make_tuple(TakeClipboard(), shellCalls, copy.Read()),
                  std::make_tuple(item.clipboard, item.shell.empty() ? Texts{} : Texts{item.shell}, item.copied));
    }
    std::string fields;
    actions.push_back([&](HWND dialog) {
        for (int id = IDC_PROPERTY_URL; id <= IDC_PROPERTY_HEADER; id++) {
            char text[1024] = "";
            GetDlgItemTextA(dialog, id, text, sizeof(text));
            fields += id == IDC_PROPERTY_LAST_SYNC ? "" : text + std::string("\n");
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_PROPERTIES);
    // Last access in the southern summer, modified in the northern one; no expiry. (The sync time is now.)
    const std::map<std::string, Texts> local = {
        {"UTC", {"2005-01-20 08:30:00 Greenwich Standard Time (UTC+00:00)",
                 "2005-07-01 12:00:00 Greenwich Standard Time (UTC+00:00)"}},
        {"Europe/Berlin", {"2005-01-20 09:30:00 Central Europe Standard Time (UTC+01:00)",
                           "2005-07-01 14:00:00 Central Europe Daylight Time (UTC+02:00)"}},
        {"Australia/Adelaide", {"2005-01-20 19:00:00 Cen. Australia Daylight Time (UTC+10:30)",
                                "2005-07-01 21:30:00 Cen. Australia Standard Time (UTC+09:30)"}},
        {"America/New_York", {"2005-01-20 03:30:00 Eastern Standard Time (UTC-05:00)",
                              "2005-07-01 08:00:00 Eastern Daylight Time (UTC-04:00)"}}};
    const char* zone = getenv("TZ");
    ASSERT_TRUE(zone && local.count(zone)) << (zone ? zone : "no TZ");
    EXPECT_EQ(fields, url + "\n" + file + "\nUnchanged\n3,000 bytes (2.9 KB)\n" + local.at(zone)[0] +
                          ", 2005-01-20T08:30:00Z\n" + local.at(zone)[1] + ", 2005-07-01T12:00:00Z\nNone\n5\n0\n"
                          "600 seconds\n0x00000001: normal\nHTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-Cache: HIT\n");
    ASSERT_TRUE(DeleteUrlCacheEntryA(url.c_str()));
    Command(IDM_SAVE_CACHED_FILE);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text.substr(0, shown[1].text.find('\n')), "The cache no longer holds the file \"" + file + "\".");
    EXPECT_EQ(copy.Read(), content);
}
