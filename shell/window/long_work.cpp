#include "long_work.h"
#include "app_state.h"
#include "backup_reader.h"
#include "cache_scan.h"
#include "csv_export.h"
#include "heap.h"
#include "ordering.h"
#include "scan_indexes.h"
#include "text_report.h"

// Progress and rows reach the window at most four times a second.
static const DWORD POST_INTERVAL_MS = 250;

static LongWork* current = NULL;

static BOOL TimeToPost(LongWork* work)
{
    DWORD now = GetTickCount();
    if (work->postedAt && now - work->postedAt < POST_INTERVAL_MS)
        return FALSE;
    work->postedAt = now ? now : 1;
    return TRUE;
}

// A listing of copies of the entries read since the last batch; null when memory
// ran out (the rows then come with the whole listing at the end).
static Listing* CopyNewEntries(LongWork* work, const Listing* filling)
{
    Listing* batch = (Listing*)HeapGet(sizeof(Listing));
    if (!batch)
        return NULL;
    ZeroMemory(batch, sizeof *batch);
    if (!InitListing(batch)) {
        HeapRelease(batch);
        return NULL;
    }
    for (LONG row = work->handedOver; row < filling->count; row++) {
        if (!AppendEntryCopy(batch, EntryAt(filling, row))) {
            FreeRowBatch(batch);
            return NULL;
        }
    }
    return batch;
}

// Runs on the worker's thread, which fills `filling`: reading it here is safe.
static void ReportFill(const Listing* filling, void* context)
{
    LongWork* work = (LongWork*)context;
    if (!TimeToPost(work))
        return;
    PostMessageA(work->window, WM_WORK_PROGRESS, (WPARAM)filling->count, filling == &work->loaded);
    if (work->kind != WORK_FIRST_SCAN || filling->count <= work->handedOver)
        return;
    Listing* batch = CopyNewEntries(work, filling);
    if (batch && PostMessageA(work->window, WM_WORK_ROWS, 0, (LPARAM)batch))
        work->handedOver = filling->count;
    else if (batch)
        FreeRowBatch(batch);
}

static BOOL ReportSave(LONG done, LONG, ULONGLONG bytes, void* context)
{
    LongWork* work = (LongWork*)context;
    if (TimeToPost(work))
        PostMessageA(work->window, WM_WORK_PROGRESS, (WPARAM)done, (LPARAM)(bytes / (1024 * 1024)));
    return !work->stop;
}

static DWORD WINAPI RunWork(void* context)
{
    LongWork* work = (LongWork*)context;
    FillProgress progress = {ReportFill, work, &work->stop};
    SaveProgress saving = {ReportSave, work};
    switch (work->kind) {
    case WORK_COMPARE:
    case WORK_LOAD_NEW:
    case WORK_LOAD_SUBSEQUENT:
        LoadBackupFile(work->path, &work->loaded, &progress);
        if (work->kind != WORK_COMPARE || work->loaded.error)
            break;
        work->postedAt = 0;
        [[fallthrough]];    // the comparison scans the cache once the file is read
    case WORK_FIRST_SCAN:
    case WORK_RESCAN:
        ScanCache(&work->scanned, work->includeCookies, work->freeSpace, &progress);
        // The indexes and the strays' walk of the cache folders are done here, so
        // that the window's thread has only the merge and the rows left. A stopped
        // rescan is not merged; a stopped first scan is shown.
        // (The file a comparison loads switches strays off, as every load does.)
        if (work->scanned.records && (work->kind == WORK_FIRST_SCAN || !work->scanned.error))
            IndexScan(&work->scanned, work->includeStrays && work->kind != WORK_COMPARE);
        // The first scan is sorted here too: its listing is the worker's until the
        // hand-over, and the window's thread sorts nothing while work runs.
        if (work->kind == WORK_FIRST_SCAN && work->scanned.records) {
            SortListing(&work->scanned, work->sortColumn, work->sortDirection);
            work->sorted = TRUE;
        }
        break;
    case WORK_SAVE_BACKUP:
        work->error = SaveBackupFile(work->path, work->source, &saving, &work->outcome);
        break;
    case WORK_EXPORT_CSV:
        work->error = ExportListingCsv(work->path, work->source, &work->shown);
        break;
    case WORK_SAVE_LISTING:
        work->error = ExportListingText(work->path, work->source);
        break;
    case WORK_SAVE_FILES:
        work->error = SaveSiteTree(work->path, work->source, &work->shown, &saving, &work->files);
        break;
    case WORK_DELETE_ENTRIES:
        DeleteCacheEntries(work->source, &work->shown, work->position, &work->stop, &work->deletion);
        break;
    }
    PostMessageA(work->window, WM_WORK_DONE, 0, (LPARAM)work);
    return 0;
}

BOOL StartLongWork(LongWork* work)
{
    work->stop = 0;
    work->handedOver = 0;
    work->postedAt = 0;
    current = work;
    work->thread = CreateThread(NULL, 0, RunWork, work, 0, NULL);
    if (!work->thread)
        current = NULL;
    return work->thread != NULL;
}

LongWork* CurrentWork()
{
    return current;
}

void StopLongWork()
{
    if (current)
        InterlockedExchange(&current->stop, 1);
}

void EndLongWork(LongWork* work)
{
    if (work->thread) {
        WaitForSingleObject(work->thread, INFINITE);
        CloseHandle(work->thread);
    }
    FreeListing(&work->loaded);
    FreeListing(&work->scanned);
    RestoreSelection(&work->selected);
    if (current == work)
        current = NULL;
    work->thread = NULL;
}

void StopAndWaitForLongWork()
{
    if (!current)
        return;
    StopLongWork();
    WaitForSingleObject(current->thread, INFINITE);
}

void FreeRowBatch(Listing* batch)
{
    FreeListing(batch);
    HeapRelease(batch);
}
