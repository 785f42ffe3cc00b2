// The real main window in this process: start-up until the window has painted its
// rows, and the rescan command, each against the scan alone.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "app_state.h"
#include "bench_groups.h"
#include "cache_scan.h"
#include "commands.h"
#include "entry_index.h"
#include "list_view.h"
#include "listing_summary.h"
#include "main_window.h"
#include "merge_scan.h"
#include "ordering.h"
#include "resource.h"
#include "results.h"
#include "sample_listing.h"
#include "seeded_cache.h"
#include "settings.h"
#include "startup.h"
#include "strays.h"

namespace {

HINSTANCE Instance()
{
    return GetModuleHandleA(NULL);
}

void PumpUntilIdle()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Closes the window as the close box does and frees what the start-up made.
void CloseWindow(HWND* window)
{
    if (*window && IsWindow(*window))
        DestroyWindow(*window);
    PumpUntilIdle();
    ShutDown();
    FreeListing(&g_app.scanListing);
    UnregisterClassA(MAIN_WINDOW_CLASS, Instance());
    *window = NULL;
}

// A row for work that follows a scan, judged as (scan + work) / scan against `limit`.
void AddRowOnTopOfScan(const std::string& operation, int n, const Stats& stats, const std::string& scanSource,
                       double scanMs, double limit)
{
    ResultRow row = TimedRow(operation, n, stats, scanSource, Stats(), 0);
    row.baselineMedian = Ms(scanMs);
    double ratio = (stats.median + scanMs) / scanMs;
    row.ratio = Times(ratio);
    char target[48];
    snprintf(target, sizeof target, "(scan + this) / scan ≤ %g×", limit);
    Judge(&row, target, ratio <= limit);
    AddRow(row);
}

// Start-up as the program makes it, with a listing prepared in memory standing in
// for the first scan's result: the steps before and after ScanCache, in order.
HWND OpenWithListing(Listing* prepared)
{
    SetStartupDefaults(Instance());
    LookUpSystemFunctions();
    LoadSettings();
    if (!RegisterMainClass())
        return NULL;
    HWND window = CreateMainWindow(SW_SHOWNORMAL);
    if (!window)
        return NULL;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    g_app.mainListing = *prepared;
    *prepared = Listing();
    PresentFirstListing();
    UpdateWindow(window);
    return window;
}

LONG RowCount()
{
    return (LONG)SendMessageA(g_app.listView, LVM_GETITEMCOUNT, 0, 0);
}

// Start-up with the seeded cache, against ScanCache alone with the same settings.
double BenchRealStartUp(int n)
{
    HWND window = NULL;
    LONG rows = 0;
    Timed startUp = {nullptr,
                     [&] {
                         window = StartUp(Instance(), SW_SHOWNORMAL);
                         UpdateWindow(window);
                     },
                     [&] {
                         rows = RowCount();
                         CloseWindow(&window);
                     }};
    Listing listing = {};
    Timed scan = {nullptr, [&] { ScanCache(&listing, g_app.settings.includeCookies, g_app.freeSpaceQuery); }, [&] { FreeListing(&listing); }};
    Stats startStats, scanStats;
    scan.work();
    scan.cleanup();
    MeasurePair(BENCH_RUNS, startUp, scan, &startStats, &scanStats);
    AddRow(TimedRow("Start-up to a painted window (StartUp, seeded cache), " + std::to_string(rows) + " rows", n,
                    startStats, "ScanCache alone, same settings", scanStats, 2.0));
    return scanStats.median;
}

// Start-up with a prepared listing: all the work besides the scan, judged against
// the scan that would have filled the listing.
void BenchPreparedStartUp(int n, double scanMs, const std::string& scanSource)
{
    EntryMaker maker = NewEntryMaker(9000 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    std::vector<EntrySpec> entries = MakeEntries(&maker, n);
    Listing prepared = {};
    HWND window = NULL;
    LONG rows = 0;
    Stats stats = Measure(
        BENCH_RUNS,
        [&] {
            FillListing(&prepared, entries);
            prepared.clusterSize = 4096;
        },
        [&] { window = OpenWithListing(&prepared); },
        [&] {
            rows = RowCount();
            CloseWindow(&window);
        });
    AddRowOnTopOfScan("Start-up to a painted window, all but the scan (listing prepared), " +
                          std::to_string(rows) + " rows",
                      n, stats, scanSource, scanMs, 2.0);
}

// The Scan Cache command after 1% of the seeded cache changed, against ScanCache
// alone.
void BenchRealRescan(int n)
{
    HWND window = StartUp(Instance(), SW_SHOWNORMAL);
    if (!window)
        return;
    int round = 0;
    LONG rows = 0;
    Timed rescan = {[&] { ChangeOnePercent(n, round++); },
                    [&] {
                        OnCommand(window, IDM_SCAN_CACHE);
                        UpdateWindow(window);
                    },
                    [&] { rows = RowCount(); }};
    Listing listing = {};
    Timed scan = {nullptr, [&] { ScanCache(&listing, g_app.settings.includeCookies, g_app.freeSpaceQuery); }, [&] { FreeListing(&listing); }};
    Stats rescanStats, scanStats;
    MeasurePair(BENCH_RUNS, rescan, scan, &rescanStats, &scanStats);
    AddRow(TimedRow("Rescan with 1% changes (Scan Cache command), seeded cache, " + std::to_string(rows) + " rows", n,
                    rescanStats, "ScanCache alone, same settings", scanStats, 1.1));
    CloseWindow(&window);
}

// The rescan after 1% changes with a scan listing prepared in memory: MergeScan
// and the repaint, everything the command does after ScanCache.
void BenchPreparedRescan(int n, double scanMs, const std::string& scanSource)
{
    EntryMaker maker = NewEntryMaker(9500 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    std::vector<EntrySpec> current = MakeEntries(&maker, n);
    Listing prepared = {};
    FillListing(&prepared, current);
    prepared.clusterSize = 4096;
    HWND window = OpenWithListing(&prepared);
    if (!window)
        return;
    LONG rows = 0;
    Stats stats = Measure(
        BENCH_RUNS,
        [&] {
            current = FollowingScan(&maker, current, ChangeMix{3, 5, 0, 2});
            FreeListing(&g_app.scanListing);
            FillListing(&g_app.scanListing, current);
            g_app.scanListing.clusterSize = 4096;
        },
        [&] {
            MergeScan(window);
            UpdateWindow(window);
        },
        [&] { rows = RowCount(); });
    AddRowOnTopOfScan("Rescan with 1% changes, all but the scan (MergeScan, scan listing prepared), " +
                          std::to_string(rows) + " rows",
                      n, stats, scanSource, scanMs, 1.1);
    CloseWindow(&window);
}

// Cookies are included, as in the scan measurement; strays are not.
void StoreOptions()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    DWORD on = 1, off = 0;
    RegSetValueExA(key, "Include Cookies", 0, REG_DWORD, (const BYTE*)&on, sizeof on);
    RegSetValueExA(key, "Include Strays", 0, REG_DWORD, (const BYTE*)&off, sizeof off);
    RegCloseKey(key);
}

}  // namespace

void BenchWindow(int scanN, const int* sizes, int sizeCount)
{
    AddNote("Window rows marked \"all but the scan\" run the start-up steps that follow ScanCache (indexes, sort, "
            "rows, status bar, paint), or MergeScan and the paint, on the real main window with a listing prepared "
            "in memory. They are judged against the seeded cache's ScanCache median, times N / " +
            std::to_string(scanN) + " for larger N: a lower bound, since enumeration costs more per entry in a "
            "larger cache, so their ratios are upper bounds.");
    StoreOptions();
    double scanMs = 0;
    if (EnsureSeededCache(scanN))
        scanMs = BenchRealStartUp(scanN);
    if (scanMs <= 0)
        return;
    BenchRealRescan(scanN);
    for (int i = 0; i < sizeCount; i++) {
        int n = sizes[i];
        double estimate = scanMs * n / scanN;
        std::string source = n == scanN ? "ScanCache alone (start-up row)"
                                        : "ScanCache estimated: " + std::to_string(n / scanN) +
                                              " × the start-up row's (a lower bound)";
        BenchPreparedStartUp(n, estimate, source);
        BenchPreparedRescan(n, estimate, source);
    }
}
