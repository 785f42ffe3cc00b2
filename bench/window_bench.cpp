// End to end on the real main window in this process. With the prefix's seeded
// cache, in every round: start-up until every row is in the list and the summary
// written, header clicks, the file commands, a bare enumeration of the same cache,
// then "Scan Cache" after 1% of the entries changed. Meanwhile a thread of the
// benchmark asks whether the window answers (window_watch), and the first row's
// paint is noted. With made-up entries, which no cache holds at that count, the
// same steps after the scan, on a listing prepared in memory.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "app_state.h"
#include "bench.h"
#include "commands.h"
#include "enumeration_clock.h"
#include "list_view.h"
#include "main_window.h"
#include "merge_scan.h"
#include "resource.h"
#include "results.h"
#include "sample_listing.h"
#include "seeded_cache.h"
#include "settings.h"
#include "startup.h"
#include "window_steps.h"
#include "window_watch.h"
#include "work_commands.h"

namespace {

// The columns whose header the user clicks: URL, a header text, Last Access.
struct Click {
    const char* name;
    LONG column;
};
const Click Clicks[] = {{"URL", 1}, {"HTTP Response Header", 13}, {"Last Access", 5}};

// The commands timed in every round, each writing a file the save dialog names.
struct FileCommand {
    const char* name;
    UINT command;
};
const FileCommand FileCommands[] = {
    {"\"Save Listing\"", IDM_SAVE_LISTING},
    {"\"Save Cache Backup\"", IDM_SAVE_BACKUP},
    {"\"Export CSV\"", IDM_EXPORT_CSV},
};

const std::string OUTPUT_FILE = std::string(BENCH_DATA_FOLDER) + "\\command-output";

int windowRounds = BENCH_RUNS;

HINSTANCE Instance()
{
    return GetModuleHandleA(NULL);
}

// The message loop's part while long work runs: until the window has taken the
// work's result.
void PumpUntilWorkDone()
{
    while (CurrentWork())
        PumpMessages(WATCH_INTERVAL_MS);
}

}  // namespace

// Paints what start-up or a command left invalid, as the message loop would next.
void Paint(HWND window)
{
    UpdateWindow(window);
    UpdateWindow(g_app.listView);
    UpdateWindow(g_app.statusBar);
}

// Closes the window as the close box does and frees what the start-up made.
void CloseMainWindow(HWND* window)
{
    WatchWindow(NULL);
    if (*window && IsWindow(*window))
        DestroyWindow(*window);
    PumpMessages(0);
    ShutDown();
    FreeListing(&g_app.scanListing);
    UnregisterClassA(MAIN_WINDOW_CLASS, Instance());
    *window = NULL;
}

namespace {

// A message box of a command (a save that failed, or saved entries without their
// whole file) is closed at once and its text noted, so that no round waits for a
// person. Dialogs without a message box's text field, such as a save's progress,
// stay. The main window is handed to the watcher the moment it is made.
LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = (HWND)wParam;
    char name[16] = "";
    if (code == HCBT_CREATEWND && GetClassNameA(box, name, sizeof name) && lstrcmpA(name, MAIN_WINDOW_CLASS) == 0)
        WatchWindow(box);
    if (code == HCBT_ACTIVATE && GetClassNameA(box, name, sizeof name) && lstrcmpA(name, "#32770") == 0 &&
        GetDlgItem(box, 0xFFFF)) {
        char text[512] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        AddNote(std::string("A command showed a message, closed by the benchmark: ") + text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// The save dialog, answered with the benchmark's output file.
BOOL WINAPI AnswerSaveDialog(LPOPENFILENAMEA request)
{
    lstrcpynA(request->lpstrFile, OUTPUT_FILE.c_str(), (int)request->nMaxFile);
    return TRUE;
}

double TimeClick(HWND window, LONG column)
{
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = g_app.listView;
    click.hdr.idFrom = IDC_LIST_VIEW;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    double start = NowMs();
    SendMessageA(window, WM_NOTIFY, IDC_LIST_VIEW, (LPARAM)&click);
    Paint(window);
    return NowMs() - start;
}

// Timings of every round, by step; `startUpCalls` and `rescanCalls` are the parts
// of those timings spent inside WinINet's enumeration calls. `answers` holds the
// longest wait for the window's answer in each watched phase of each round.
struct Rounds {
    std::vector<double> startUp, startUpCalls, bare, rescan, rescanCalls;
    std::vector<double> shown, firstRow;    // from the call of StartUp: the window shown, the first row painted
    std::vector<double> clicks[3], commands[sizeof FileCommands / sizeof FileCommands[0]];
    std::vector<Answers> answers[WATCH_PHASES];
    LONG rows = 0;
};

// A command and its long work until the window has taken the result, as the
// message loop runs it, and the paint that follows.
double TimeCommand(HWND window, UINT command, Rounds* rounds)
{
    g_app.saveFileDialog = AnswerSaveDialog;
    WatchPhase phase = command == IDM_SAVE_BACKUP ? WATCH_SAVE_BACKUP : WATCH_NONE;
    BeginPhase(phase);
    double start = NowMs();
    OnCommand(window, command);
    PumpUntilWorkDone();
    Paint(window);
    double took = NowMs() - start;
    rounds->answers[phase].push_back(EndPhase(phase));
    return took;
}

}  // namespace

// Start-up as the program makes it, with a listing prepared in memory standing in
// for the first scan's result: the steps before and after ScanCache, in order.
HWND OpenWithListing(Listing* prepared)
{
    SetStartupDefaults(Instance());
    LookUpSystemFunctions(&g_app.system);
    LoadSettings(&g_app.settings);
    if (!RegisterMainClass())
        return NULL;
    HWND window = CreateMainWindow(SW_SHOWNORMAL);
    if (!window)
        return NULL;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    g_app.mainListing = *prepared;
    *prepared = Listing();
    PresentFirstListing(FALSE);
    return window;
}

namespace {

LONG RowCount()
{
    return (LONG)SendMessageA(g_app.listView, LVM_GETITEMCOUNT, 0, 0);
}

// Times a step of a round, and apart the time it spends in enumeration calls.
template <typename Step>
void TimeWithCalls(std::vector<double>* total, std::vector<double>* inCalls, Step step)
{
    double calls = EnumerationMs(), start = NowMs();
    step();
    total->push_back(NowMs() - start);
    inCalls->push_back(EnumerationMs() - calls);
}

Stats Of(const std::vector<double>& samples)
{
    return Summarize(samples, 1);
}

const char* const BARE = "bare FindFirst/FindNextUrlCacheEntryA loop over the same cache";

// A step that contains an enumeration, against the bare one; then the program's
// own part of it (all but its time inside the enumeration calls), whose share of
// the bare enumeration is judged.
void AddShareRows(const std::string& operation, const Sample& sample, const std::vector<double>& totals,
                  const std::vector<double>& inCalls, const Stats& bare, TargetId target)
{
    int n = (int)sample.entries.size();
    AddRow(TimedRow(operation + " (" + Ms(Of(inCalls).min) + " of it at least inside the enumeration calls)",
                    sample.label, n, Of(totals), BARE, bare));
    std::vector<double> own;
    for (size_t i = 0; i < totals.size(); i++)
        own.push_back(totals[i] - inCalls[i]);
    ResultRow row = TimedRow("  our code's part: the same less its time inside the enumeration calls", sample.label,
                             n, Of(own), BARE, bare);
    double share = Of(own).min / bare.min;
    Judge(&row, target, share, Percent(share) + " of the enumeration", share <= 0.15);
    AddRow(row);
    // The worker's enumeration, while the window's thread takes its rows, against the bare one.
    AddRow(TimedRow("  its time inside the enumeration calls, made on the worker's thread", sample.label, n,
                    Of(inCalls), BARE, bare));
}

double Longest(const std::vector<double>& samples)
{
    double longest = 0;
    for (double sample : samples)
        longest = sample > longest ? sample : longest;
    return longest;
}

// The longest wait for the window's answer in each round of a phase, judged by
// the longest of all rounds: the window must answer throughout.
void AddAnswerRow(const std::string& phase, const Sample& sample, const std::vector<Answers>& rounds,
                  TargetId target)
{
    std::vector<double> longest;
    int sent = 0, unanswered = 0;
    Answers worst;
    for (const Answers& answers : rounds) {
        longest.push_back(answers.longestMs);
        sent += answers.sent;
        unanswered += answers.unanswered;
        if (answers.longestMs >= worst.longestMs)
            worst = answers;
    }
    std::string what = "Longest wait for the window's answer to WM_NULL (sent every 50 ms from another thread) " +
                       phase + ", each round; longest of all " + Ms(worst.longestMs) + ", sent " +
                       Ms(worst.longestAtMs) + " into a phase of " + Ms(worst.phaseMs) + "; " +
                       std::to_string(sent) + " sent in " + std::to_string(rounds.size()) + " rounds";
    if (unanswered)
        what += ", " + std::to_string(unanswered) + " unanswered after 30 s";
    ResultRow row = TimedRow(what, sample.label, (int)sample.entries.size(), Of(longest), "", Stats());
    Judge(&row, target, worst.longestMs, Ms(worst.longestMs) + " longest", worst.longestMs < 100 && !unanswered);
    AddRow(row);
}

// The first row painted from the window's appearance (StartUp returned: the
// window made, shown and painted, and the first scan started), judged by the
// latest of all rounds; and from the call of StartUp.
void AddFirstRowRows(const Sample& sample, const Rounds& rounds)
{
    std::vector<double> afterShown;
    for (size_t i = 0; i < rounds.firstRow.size(); i++)
        afterShown.push_back(rounds.firstRow[i] - rounds.shown[i]);
    double worst = Longest(afterShown);
    ResultRow row = TimedRow("First row painted: from the window shown (StartUp returned) until the list view's "
                             "first paint that shows a row has ended; latest of all rounds " + Ms(worst),
                             sample.label, (int)sample.entries.size(), Of(afterShown), "", Stats());
    Judge(&row, TARGET_FIRST_ROW, worst, Ms(worst) + " at the latest", worst <= 500);
    AddRow(row);
    AddRow(TimedRow("  the same from the call of StartUp (settings, the window made, shown and painted); the "
                    "window alone: " + Ms(Of(rounds.shown).min) + " min, " + Ms(Of(rounds.shown).median) + " median",
                    sample.label, (int)sample.entries.size(), Of(rounds.firstRow), "", Stats()));
}

// A step timed without a floor of its own, shown against the enumeration (or alone)
// and judged, when it has a target, by its minimum time.
void AddStepRow(const std::string& operation, const Sample& sample, const Stats& stats, const Stats* bare,
                TargetId target, double limitMs)
{
    ResultRow row = bare ? TimedRow(operation, sample.label, (int)sample.entries.size(), stats, BARE, *bare)
                         : TimedRow(operation, sample.label, (int)sample.entries.size(), stats, "", Stats());
    if (target != NO_TARGET)
        Judge(&row, target, stats.min, Ms(stats.min), stats.min < limitMs);
    AddRow(row);
}

void AddClickAndCommandRows(const Sample& sample, const Rounds& rounds, const Stats* bare)
{
    for (size_t i = 0; i < 3; i++)
        AddStepRow(std::string("Header click on ") + Clicks[i].name + ": sort and repaint", sample,
                   Of(rounds.clicks[i]), bare, TARGET_HEADER_CLICK, 300);
    for (size_t i = 0; i < sizeof FileCommands / sizeof FileCommands[0]; i++)
        AddStepRow(std::string(FileCommands[i].name) + " of every row", sample, Of(rounds.commands[i]), bare,
                   NO_TARGET, 0);
}

// One round's clicks and file commands on the open window.
void ClickAndSave(HWND window, Rounds* rounds)
{
    for (size_t i = 0; i < 3; i++)
        rounds->clicks[i].push_back(TimeClick(window, Clicks[i].column));
    for (size_t i = 0; i < sizeof FileCommands / sizeof FileCommands[0]; i++)
        rounds->commands[i].push_back(TimeCommand(window, FileCommands[i].command, rounds));
}

void BenchRealCache(const Sample& sample)
{
    if (!StartEnumerationClock())
        AddNote("The enumeration calls could not be timed apart: our code's part counts them too.");
    Rounds rounds;
    CountCacheEntries();    // the index mapped and warm, as for every later round
    for (int round = 0; round < windowRounds; round++) {
        HWND window = NULL;
        double start = 0;
        BeginPhase(WATCH_STARTUP);
        TimeWithCalls(&rounds.startUp, &rounds.startUpCalls, [&] {
            start = NowMs();
            window = StartUp(Instance(), SW_SHOWNORMAL);
            rounds.shown.push_back(NowMs() - start);
            WatchFirstRow(g_app.listView);
            PumpUntilWorkDone();
            Paint(window);
        });
        rounds.answers[WATCH_STARTUP].push_back(EndPhase(WATCH_STARTUP));
        if (!FirstRowPaintedAt())
            AddNote("In a round the list view painted no row before start-up ended: its first row counts as "
                    "painted at the end.");
        rounds.firstRow.push_back(FirstRowPaintedAt() ? FirstRowPaintedAt() - start : rounds.startUp.back());
        rounds.rows = RowCount();
        ClickAndSave(window, &rounds);

        start = NowMs();
        CountCacheEntries();
        rounds.bare.push_back(NowMs() - start);

        ChangeOnePercent(sample.seeded, round);
        BeginPhase(WATCH_RESCAN);
        TimeWithCalls(&rounds.rescan, &rounds.rescanCalls, [&] {
            OnCommand(window, IDM_SCAN_CACHE);
            PumpUntilWorkDone();
            Paint(window);
        });
        rounds.answers[WATCH_RESCAN].push_back(EndPhase(WATCH_RESCAN));
        CloseMainWindow(&window);
        printf("  round %d: start-up %.0f ms (shown %.0f, first row %.0f ms, longest answer %.0f ms at %.0f), bare "
               "enumeration %.0f ms, "
               "\"Scan Cache\" %.0f ms (longest answer %.0f ms), \"Save Cache Backup\" %.0f ms (longest answer "
               "%.0f ms)\n",
               round + 1, rounds.startUp.back(), rounds.shown.back(), rounds.firstRow.back(),
               rounds.answers[WATCH_STARTUP].back().longestMs, rounds.answers[WATCH_STARTUP].back().longestAtMs,
               rounds.bare.back(), rounds.rescan.back(), rounds.answers[WATCH_RESCAN].back().longestMs,
               rounds.commands[1].back(), rounds.answers[WATCH_SAVE_BACKUP].back().longestMs);
        fflush(stdout);
    }
    Stats bare = Of(rounds.bare);
    AddShareRows("Start-up until all " + std::to_string(rounds.rows) + " rows are listed and the summary written",
                 sample, rounds.startUp, rounds.startUpCalls, bare, TARGET_STARTUP_SHARE);
    AddFirstRowRows(sample, rounds);
    AddAnswerRow("during start-up, from the window's creation until the first scan is presented", sample,
                 rounds.answers[WATCH_STARTUP], TARGET_ANSWER_STARTUP);
    AddShareRows("\"Scan Cache\" after 1% of the entries changed", sample, rounds.rescan, rounds.rescanCalls, bare,
                 TARGET_RESCAN_SHARE);
    AddAnswerRow("during \"Scan Cache\", from the command until its merge is shown", sample,
                 rounds.answers[WATCH_RESCAN], TARGET_ANSWER_RESCAN);
    AddClickAndCommandRows(sample, rounds, &bare);
    AddAnswerRow("during \"Save Cache Backup\", from the command until the save is done", sample,
                 rounds.answers[WATCH_SAVE_BACKUP], TARGET_ANSWER_SAVE_BACKUP);
}

void BenchPreparedListing(const Sample& sample)
{
    const std::string why = "no WinINet cache holds " + sample.label + " entries";
    Rounds rounds;
    EntryMaker maker = sample.maker;
    std::vector<EntrySpec> current = sample.entries;
    for (int round = 0; round < windowRounds; round++) {
        Listing prepared = {};
        FillListing(&prepared, current);
        prepared.clusterSize = 4096;
        double start = NowMs();
        HWND window = OpenWithListing(&prepared);
        Paint(window);
        rounds.startUp.push_back(NowMs() - start);
        rounds.rows = RowCount();
        ClickAndSave(window, &rounds);

        current = FollowingScan(&maker, current, ChangeMix{3, 5, 0, 2});
        FillListing(&g_app.scanListing, current);
        g_app.scanListing.clusterSize = 4096;
        start = NowMs();
        MergeScan(window);
        Paint(window);
        rounds.rescan.push_back(NowMs() - start);
        CloseMainWindow(&window);
    }
    AddStepRow("Start-up after the scan (listing prepared in memory), " + std::to_string(rounds.rows) + " rows",
               sample, Of(rounds.startUp), NULL, NO_TARGET, 0);
    AddRow(Unmeasurable("Start-up: our share beyond the enumeration", sample.label, TARGET_STARTUP_SHARE, why));
    AddStepRow("\"Scan Cache\" after the scan: MergeScan and repaint (scan listing prepared)", sample,
               Of(rounds.rescan), NULL, NO_TARGET, 0);
    AddRow(Unmeasurable("\"Scan Cache\": our share beyond the enumeration", sample.label, TARGET_RESCAN_SHARE, why));
    AddRow(Unmeasurable("First row painted", sample.label, TARGET_FIRST_ROW, why));
    AddRow(Unmeasurable("Window answers during start-up", sample.label, TARGET_ANSWER_STARTUP, why));
    AddRow(Unmeasurable("Window answers during \"Scan Cache\"", sample.label, TARGET_ANSWER_RESCAN, why));
    AddClickAndCommandRows(sample, rounds, NULL);
    AddAnswerRow("during \"Save Cache Backup\" of the listing prepared in memory (whose cached files do not "
                 "exist), from the command until the save is done",
                 sample, rounds.answers[WATCH_SAVE_BACKUP], TARGET_ANSWER_SAVE_BACKUP);
}

// Cookies are included, as in the real samples; strays are not. Start-up sorts by
// Last Access, newest first.
void StoreOptions()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    DWORD on = 1, off = 0, lastAccess = 5;
    RegSetValueExA(key, "Include Cookies", 0, REG_DWORD, (const BYTE*)&on, sizeof on);
    RegSetValueExA(key, "Include Strays", 0, REG_DWORD, (const BYTE*)&off, sizeof off);
    RegSetValueExA(key, "Sort Column", 0, REG_DWORD, (const BYTE*)&lastAccess, sizeof lastAccess);
    RegSetValueExA(key, "Sort Direction", 0, REG_DWORD, (const BYTE*)&on, sizeof on);
    RegCloseKey(key);
}

}  // namespace

void SetWindowRounds(int rounds)
{
    windowRounds = rounds > 0 ? rounds : BENCH_RUNS;
}

void BenchWindow(const Sample& sample)
{
    if (windowRounds != BENCH_RUNS)
        AddNote("The window's rounds: " + std::to_string(windowRounds) + " at each size, not " +
                std::to_string(BENCH_RUNS) + ".");
    AddNote("End to end: every round starts the program in this process (defaults, settings, window, first scan, "
            "indexes, sort by Last Access, rows, status bar, paint), clicks three column headers, saves the "
            "listing, a cache backup and the CSV, enumerates the cache bare and then runs \"Scan Cache\" after 1% "
            "of the entries changed (half revisited, a quarter gone, a quarter new). Cookies are included; strays "
            "are not.");
    static HHOOK messageBoxes = SetWindowsHookExA(WH_CBT, CloseMessageBoxes, NULL, GetCurrentThreadId());
    (void)messageBoxes;
    StartWatching();
    StoreOptions();
    if (sample.real)
        BenchRealCache(sample);
    else
        BenchPreparedListing(sample);
    DeleteFileA(OUTPUT_FILE.c_str());
}
