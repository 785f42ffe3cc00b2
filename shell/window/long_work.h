// Long work off the window's thread: scans, loads, saves and exports. The worker
// fills listings of its own and reads the main listing only while nothing may
// change it (the commands that would are refused meanwhile); whatever it filled
// is handed to the window's thread whole, with a posted message, and only the
// window's thread merges it or swaps it in.
#ifndef BRINDLEWICK_LONG_WORK_H
#define BRINDLEWICK_LONG_WORK_H

#include <windows.h>
#include "backup_writer.h"
#include "cache_delete.h"
#include "row_filter.h"
#include "listing.h"
#include "selection.h"
#include "site_tree.h"
#include "system_functions.h"

enum WorkKind {
    WORK_FIRST_SCAN,        // the cache into `scanned`, handing over the rows read so far as it goes
    WORK_RESCAN,            // the cache into `scanned`
    WORK_LOAD_NEW,          // the file into `loaded`
    WORK_LOAD_SUBSEQUENT,   // the file into `loaded`
    WORK_COMPARE,           // the file into `loaded`, then the cache into `scanned`
    WORK_SAVE_BACKUP,       // `source` into the file
    WORK_EXPORT_CSV,        // `source` into the file
    WORK_SAVE_LISTING,      // `source` into the file
    WORK_SAVE_FILES,        // the cached files of `source` into the folder `path`
    WORK_DELETE_ENTRIES,    // the cache entries of `source`'s shown rows, or of the row at `position`
};

// Posted to the window by the worker. WM_WORK_PROGRESS: wParam entries done,
// lParam megabytes written (saves), or 1 while a file is read and 0 the cache; WM_WORK_ROWS: lParam a Listing of the entries
// read since the last one, now the window's to free (FreeRowBatch); WM_WORK_DONE:
// lParam the LongWork, whose thread has ended its part.
const UINT WM_WORK_PROGRESS = WM_APP + 1;
const UINT WM_WORK_ROWS = WM_APP + 2;
const UINT WM_WORK_DONE = WM_APP + 3;

const DWORD WORK_PATH_BYTES = 512;

struct LongWork {
    WorkKind kind;
    HWND window;
    volatile LONG stop;         // set by Stop, closing or quitting; seen between two entries
    char path[WORK_PATH_BYTES];
    BOOL includeCookies;
    BOOL includeStrays;
    LONG sortColumn;            // the order a first scan is sorted in before it is handed over
    LONG sortDirection;
    BOOL sorted;                // the first scan came indexed, with its strays, sorted
    FreeSpaceQuery freeSpace;
    const Listing* source;      // what a save or export writes; nothing changes it meanwhile
    RowFilter shown;            // the rows shown when the work began: what an export writes
    LONG position;              // the one row a deletion takes, or -1 for the rows shown
    CacheDeleteOutcome deletion;
    Listing loaded;             // filled by the worker, then the window's
    Listing scanned;
    BackupSaveOutcome outcome;
    SiteTreeOutcome files;      // of the cached files saved to a folder
    DWORD error;                // of the save or export
    SelectionMark selected;     // the entry selected when the work began, selected again after it
    LONG handedOver;            // entries of `scanned` already posted as rows
    DWORD postedAt;             // tick count of the last progress posted
    HANDLE thread;
};

// Starts the work on its own thread; the window's state then holds it until
// EndLongWork. FALSE (and nothing started) when the thread could not be made.
BOOL StartLongWork(LongWork* work);
// The work under way, or null.
LongWork* CurrentWork();
// Asks the work under way to stop at its next entry.
void StopLongWork();
// Waits for the worker's thread to end and frees what the work filled and the
// caller did not take.
void EndLongWork(LongWork* work);
// For closing: stops the work under way and waits for its thread.
void StopAndWaitForLongWork();
void FreeRowBatch(Listing* batch);

#endif
