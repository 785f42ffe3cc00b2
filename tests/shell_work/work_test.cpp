// Long work off the window's thread: the first rows at once, Stop, and closing while work runs.
#include <windows.h>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "long_work.h"
#include "ordering.h"
#include "resource.h"
#include "safe_file.h"
#include "startup.h"
#include "window_fixture.h"

namespace {

// The enumeration, and the save's writes, wait at the gate once `holdAfter` entries were read.
HANDLE gate = NULL;
LONG entriesRead = 0, holdAfter = 0;
BOOL WINAPI GatedNext(HANDLE enumeration, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size)
{
    if (++entriesRead == holdAfter)
        WaitForSingleObject(gate, 60000);
    return FindNextUrlCacheEntryA(enumeration, info, size);
}
BOOL WINAPI GatedWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    WaitForSingleObject(gate, 60000);
    return WriteFile(file, bytes, count, written, overlapped);
}

BOOL WINAPI AnswerClosingTarget(LPOPENFILENAMEA request)
{
    TempFile named("brindlewick closing.cbf");
    lstrcpynA(request->lpstrFile, named.path.c_str(), request->nMaxFile);
    return TRUE;
}

DWORD WINAPI OpenGateSoon(void*)
{
    Sleep(500);
    SetEvent(gate);
    return 0;
}

struct WorkTest : MainWindowTest {
    void SetUp() override
    {
        MainWindowTest::SetUp();
        gate = CreateEventA(NULL, TRUE, FALSE, NULL);
        entriesRead = 0, holdAfter = 0;
    }
    void TearDown() override
    {
        SetEvent(gate);
        MainWindowTest::TearDown();
        NextCacheEntry = FindNextUrlCacheEntryA;
        SafeFileWrite = WriteFile;
        CloseHandle(gate);
    }
    // Pumps until the condition holds (at most a minute).
    static bool PumpUntil(const std::function<bool()>& condition)
    {
        for (DWORD start = GetTickCount(); !condition() && GetTickCount() - start < 60000;) {
            MSG message;
            while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
                TranslateMessage(&message), DispatchMessageA(&message);
            Sleep(10);
        }
        return condition();
    }
};

void SeedEntries(int count)
{
    for (int i = 0; i < count; i++)
        ASSERT_NE(SeedCacheEntry(SeedEntry("http://work.example.com/" + std::to_string(i) + ".htm")), "");
}

}  // namespace

// The first scan shows the rows read so far while it runs, and the window answers; stopped part-way it keeps the
// entries read, sorted, one row each, and says so. A rescan stopped part-way changes nothing, and the commands that
// must wait come back after it.
TEST_F(WorkTest, AStoppedScanKeepsWhatItReadAndARescanStoppedChangesNothing)
{
    SeedEntries(600);
    NextCacheEntry = GatedNext;
    holdAfter = 300;
    window = StartUp(GetModuleHandleA(NULL), SW_SHOWNORMAL);
    ASSERT_TRUE(window);
    ASSERT_TRUE(PumpUntil([] { return RowCount() >= 256; }));
    DWORD_PTR answer;
    EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer));
    SendMessageA(window, WM_COMMAND, IDM_STOP, 0);
    SetEvent(gate);
    ASSERT_TRUE(WaitForWork());
    Listing* main = &g_app.mainListing;
    EXPECT_GE(main->count, 300);
    EXPECT_LT(main->count, 600);
    EXPECT_EQ(RowCount(), main->count);
    SortDescending = g_app.settings.sortDirection;     // the worker sorted; the comparators read this thread's
    for (LONG row = 1; row < main->count; row++)
        ASSERT_LT(EntryComparators[COLUMN_LAST_ACCESS]((CacheEntry* const*)&main->records->pointers[row - 1],
                                                         (CacheEntry* const*)&main->records->pointers[row]),
                  0) << row;
    EXPECT_EQ(StatusText(0), "Scan stopped: " + std::to_string(main->count) + " entries read");

    StatusMap statuses = Cells();
    entriesRead = 0;
    ResetEvent(gate);
    SendMessageA(window, WM_COMMAND, IDM_SCAN_CACHE, 0);
    HMENU action = GetSubMenu(GetMenu(window), 0);
    SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)action, 0);
    EXPECT_TRUE(GetMenuState(action, IDM_SAVE_BACKUP, MF_BYCOMMAND) & MF_GRAYED);
    SendMessageA(window, WM_COMMAND, IDM_STOP, 0);
    SetEvent(gate);
    ASSERT_TRUE(WaitForWork());
    EXPECT_EQ(Cells(), statuses);
    SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)action, 0);
    EXPECT_FALSE(GetMenuState(action, IDM_SAVE_BACKUP, MF_BYCOMMAND) & MF_GRAYED);
}

// Closing the window while a scan or a save runs stops the work, writes the settings and leaves no temporary file.
TEST_F(WorkTest, ClosingDuringWorkQuitsCleanly)
{
    SeedEntries(20);
    ASSERT_NE(SeedCacheEntry(SeedEntry("http://work.example.com/big.htm", std::string(200000, 'b'))), "");
    TempFile target("brindlewick closing.cbf");
    for (UINT command : {IDM_SCAN_CACHE, IDM_SAVE_BACKUP}) {
        SCOPED_TRACE(command);
        ClearSettingsKey();
        ASSERT_TRUE(Open());
        ResetEvent(gate);
        entriesRead = 0, holdAfter = 5;
        NextCacheEntry = GatedNext;
        SafeFileWrite = GatedWrite;
        g_app.saveFileDialog = AnswerClosingTarget;
        SendMessageA(window, WM_COMMAND, command, 0);
        ASSERT_TRUE(CurrentWork());
        // The gate opens only after the close began waiting for the work.
        HANDLE opener = CreateThread(NULL, 0, OpenGateSoon, NULL, 0, NULL);
        SendMessageA(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(opener, 60000);
        CloseHandle(opener);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(HasSetting("Window Metrics"));
        EXPECT_EQ(GetFileAttributesA(target.path.c_str()), INVALID_FILE_ATTRIBUTES);
        WIN32_FIND_DATAA found;
        EXPECT_EQ(FindFirstFileA((target.path.substr(0, target.path.rfind('\\') + 1) + "~bw*.tmp").c_str(), &found),
                  INVALID_HANDLE_VALUE);
        Close();
        NextCacheEntry = FindNextUrlCacheEntryA;
        SafeFileWrite = WriteFile;
    }
}
