#include "work_commands.h"
#include "app_state.h"
#include "backup_load.h"
#include "delete_entries.h"
#include "file_dialogs.h"
#include "fill_progress.h"
#include "heap.h"
#include "list_view.h"
#include "listing_summary.h"
#include "merge_scan.h"
#include "messages.h"
#include "number_text.h"
#include "ordering.h"
#include "resource.h"
#include "scan_indexes.h"
#include "ui_helpers.h"

BOOL WaitsForWork(UINT command)
{
    switch (command) {
    case IDM_SCAN_CACHE:
    case IDM_LOAD_NEW_LISTING:
    case IDM_LOAD_SUBSEQUENT_SCAN:
    case IDM_COMPARE_BACKUP:
    case IDM_REMOVE_DELETIONS:
    case IDM_SAVE_LISTING:
    case IDM_SAVE_BACKUP:
    case IDM_EXPORT_CSV:
    case IDM_SAVE_FILES_TO_FOLDER:
    case IDM_INCLUDE_STRAYS:
    case IDM_INCLUDE_COOKIES:
    case IDM_SHOW_CHANGES_ONLY:
    case IDM_DELETE_ENTRY:
    case IDM_DELETE_SHOWN:
        return TRUE;
    default:
        return FALSE;
    }
}

// One piece of work runs at a time: its record is this one.
static LongWork theWork;

LongWork* NewWork(HWND window, WorkKind kind)
{
    LongWork* work = &theWork;
    ZeroMemory(work, sizeof *work);
    work->kind = kind;
    work->window = window;
    work->includeCookies = g_app.settings.includeCookies;
    work->includeStrays = g_app.settings.includeStrays;
    work->sortColumn = (LONG)g_app.settings.sortColumn;
    work->sortDirection = (LONG)g_app.settings.sortDirection;
    work->freeSpace = g_app.system.freeSpaceQuery;
    // A backup file brings no cluster size, and later scans reuse the first's.
    work->loaded.clusterSize = g_app.mainListing.clusterSize;
    work->scanned.clusterSize = kind == WORK_FIRST_SCAN ? 0 : g_app.scanListing.clusterSize;
    work->source = &g_app.mainListing;
    // A copy: the filter bar may change the rows shown while the work runs.
    work->shown = g_app.shownRows.filter;
    return work;
}

void BeginWork(HWND window, LongWork* work)
{
    if (work->kind != WORK_FIRST_SCAN)
        RememberSelection(&work->selected);
    SetStdCursor(IDC_APPSTARTING);
    if (!StartLongWork(work)) {
        ShowError(window, "Couldn't start the work.", GetLastError());
        EndLongWork(work);
        SetStdCursor(IDC_ARROW);
    }
}

void StartFirstScan(HWND window)
{
    Listing* main = &g_app.mainListing;
    main->clusterSize = 0;
    // The rows read so far are copied in as they come.
    InitListing(main);
    LongWork* work = NewWork(window, WORK_FIRST_SCAN);
    if (work)
        BeginWork(window, work);
}

// The commands that write a file or a folder: their work, the name their dialog
// starts with and the dialog.
struct SaveCommand {
    UINT command;
    WorkKind kind;
    const char* startName;
    BOOL (*ask)(HWND owner, char* path);
};
static const SaveCommand SaveCommands[] = {
    {IDM_SAVE_LISTING, WORK_SAVE_LISTING, ".txt", AskReportPath},
    {IDM_SAVE_BACKUP, WORK_SAVE_BACKUP, ".cbf", AskBackupSavePath},
    {IDM_EXPORT_CSV, WORK_EXPORT_CSV, ".csv", AskCsvPath},
    {IDM_SAVE_FILES_TO_FOLDER, WORK_SAVE_FILES, "", AskFolderPath},
};

// The kind of work and the file it asks for.
static BOOL AskFor(HWND window, UINT command, LongWork* work)
{
    char* path = work->path;
    switch (command) {
    case IDM_SCAN_CACHE:
        work->kind = WORK_RESCAN;
        return TRUE;
    case IDM_LOAD_NEW_LISTING:
    case IDM_LOAD_SUBSEQUENT_SCAN:
    case IDM_COMPARE_BACKUP:
        work->kind = command == IDM_LOAD_NEW_LISTING ? WORK_LOAD_NEW
                     : command == IDM_COMPARE_BACKUP ? WORK_COMPARE : WORK_LOAD_SUBSEQUENT;
        return AskBackupFilePath(window, path);
    }
    for (const SaveCommand& save : SaveCommands) {
        if (save.command == command) {
            work->kind = save.kind;
            lstrcpyA(path, save.startName);
            return save.ask(window, path);
        }
    }
    return FALSE;
}

void StartWorkCommand(HWND window, UINT command)
{
    LongWork* work = NewWork(window, WORK_RESCAN);
    if (!work)
        return;
    if (!AskFor(window, command, work)) {
        EndLongWork(work);
        return;
    }
    // The cluster size the scan needs may have been measured since NewWork.
    work->scanned.clusterSize = g_app.scanListing.clusterSize;
    BeginWork(window, work);
}

void PresentFirstListing(BOOL prepared)
{
    Listing* main = &g_app.mainListing;
    // A scan that ran out of memory left the listing without pools; give it fresh
    // ones so that the next scan can be merged into it.
    if (!main->records)
        InitListing(main);
    if (!prepared) {
        IndexScan(main, g_app.settings.includeStrays);
        SortListing(main, g_app.settings.sortColumn, g_app.settings.sortDirection);
    }
    // Later scans reuse this measurement.
    g_app.scanListing.clusterSize = main->clusterSize;
    ReplaceListRows(main);
    ShowListingSummary(main);
}

static void ShowStatus(const char* text)
{
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, (LPARAM)text);
}

void OnWorkProgress(WPARAM done, LPARAM megabytes)
{
    LongWork* work = CurrentWork();
    if (!work)
        return;
    char count[GROUPED_NUMBER_BYTES], text[128];
    FormatGroupedNumber((DWORD)done, count);
    switch (work->kind) {
    case WORK_SAVE_BACKUP:
        wsprintfA(text, "Saving cache backup: %s entries, %lu MB written", count, (DWORD)megabytes);
        break;
    case WORK_SAVE_FILES:
        wsprintfA(text, "Saving cached files: %s entries", count);
        break;
    case WORK_EXPORT_CSV:
    case WORK_SAVE_LISTING:
        return;
    default:
        wsprintfA(text, "%s: %s entries", megabytes ? READING_BACKUP_FILE : READING_CACHE, count);
        break;
    }
    ShowStatus(text);
}

void OnWorkRows(Listing* batch)
{
    Listing* main = &g_app.mainListing;
    LONG first = main->count;
    for (LONG row = 0; row < batch->count; row++)
        if (!AppendEntryCopy(main, EntryAt(batch, row)))
            break;
    FreeRowBatch(batch);
    AppendListRows(main, first);
}

// A first scan: the whole listing replaces the rows copied in as it went.
static void TakeFirstScan(HWND window, LongWork* work)
{
    DWORD error = work->scanned.error;
    FreeListing(&g_app.mainListing);
    g_app.mainListing = work->scanned;
    ZeroMemory(&work->scanned, sizeof work->scanned);
    if (error && error != ERROR_CANCELLED)
        MessageBoxA(window, "Error during initial cache read", NULL, WARNING_BOX);
    PresentFirstListing(work->sorted);
    if (error == ERROR_CANCELLED) {
        char count[GROUPED_NUMBER_BYTES], text[64];
        FormatGroupedNumber((DWORD)g_app.mainListing.count, count);
        wsprintfA(text, "Scan stopped: %s entries read", count);
        ShowStatus(text);
    }
}

static void TakeScan(HWND window, LongWork* work, BOOL compareBackup)
{
    FreeListing(&g_app.scanListing);
    g_app.scanListing = work->scanned;
    ZeroMemory(&work->scanned, sizeof work->scanned);
    MergeScan(window, compareBackup);
}

static void TakeSave(HWND window, LongWork* work)
{
    ShowListingSummary(&g_app.mainListing);     // in place of the progress text
    if (work->error == ERROR_CANCELLED)
        return;
    if (work->error) {
        const char* what = work->kind == WORK_SAVE_BACKUP ? "Couldn't save the cache backup as"
                           : work->kind == WORK_EXPORT_CSV ? "Couldn't export the listing as"
                                                           : "Couldn't save the listing as";
        ShowFileError(window, what, work->path, work->error);
        return;
    }
    if (work->kind != WORK_SAVE_BACKUP || !work->outcome.incomplete)
        return;
    char incomplete[GROUPED_NUMBER_BYTES], saved[GROUPED_NUMBER_BYTES], text[400];
    FormatGroupedNumber((DWORD)work->outcome.incomplete, incomplete);
    FormatGroupedNumber((DWORD)work->outcome.saved, saved);
    wsprintfA(text,
              "%s of the %s entries saved are without their complete cached file: the file was missing, could "
              "not be read or had changed since the scan, or the entry was loaded from a backup file.",
              incomplete, saved);
    ShowWarning(window, text);
}

// The counts, also when stopped: what was saved stays.
static void TakeSavedFiles(HWND window, LongWork* work)
{
    ShowListingSummary(&g_app.mainListing);     // in place of the progress text
    if (work->error && work->error != ERROR_CANCELLED)
        ShowFileError(window, "Couldn't save the cached files in", work->path, work->error);
    else
        ShowSiteTreeOutcome(window, work->path, &work->files, work->error == ERROR_CANCELLED);
}

void OnWorkDone(HWND window, LongWork* work)
{
    // The worker has posted its last message; its thread ends now.
    WaitForSingleObject(work->thread, INFINITE);
    SetStdCursor(IDC_ARROW);
    switch (work->kind) {
    case WORK_FIRST_SCAN:
        TakeFirstScan(window, work);
        break;
    case WORK_RESCAN:
        TakeScan(window, work, FALSE);
        break;
    case WORK_LOAD_NEW:
        TakeLoadedListing(window, &work->loaded, work->path, TRUE);
        break;
    case WORK_LOAD_SUBSEQUENT:
        if (TakeLoadedListing(window, &work->loaded, work->path, FALSE))
            MergeScan(window);
        break;
    case WORK_COMPARE:
        // A stopped or failed scan leaves the listing as it was, the file unused.
        if (work->loaded.error || work->scanned.error == ERROR_CANCELLED) {
            if (!work->loaded.error)
                work->loaded.error = ERROR_CANCELLED;
            TakeLoadedListing(window, &work->loaded, work->path, TRUE);
        } else if (TakeLoadedListing(window, &work->loaded, work->path, TRUE)) {
            TakeScan(window, work, TRUE);
        }
        break;
    case WORK_SAVE_FILES:
        TakeSavedFiles(window, work);
        break;
    case WORK_DELETE_ENTRIES: {
        // The rescan that shows what went is work of its own, started once this ends.
        CacheDeleteOutcome deletion = work->deletion;
        EndLongWork(work);
        FinishDeletion(window, &deletion);
        return;
    }
    default:
        TakeSave(window, work);
        break;
    }
    EndLongWork(work);
}
