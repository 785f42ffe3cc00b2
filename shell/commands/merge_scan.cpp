#include "merge_scan.h"
#include "app_state.h"
#include "list_view.h"
#include "listing_summary.h"
#include "merge.h"
#include "messages.h"
#include "ordering.h"
#include "scan_indexes.h"
#include "ui_helpers.h"

// Marks the rows of the kinds switched off since the last merge as Deleted; gives
// whether any kind was.
static BOOL MarkSwitchedOffKinds(Listing* main)
{
    const AppSettings* settings = &g_app.settings;
    BOOL drop = FALSE;
    if (!settings->includeStrays && settings->straysAtLastMerge) {
        MarkStraysDeleted(main);
        drop = TRUE;
    }
    if (!settings->includeCookies && settings->cookiesAtLastMerge) {
        MarkCookiesDeleted(main);
        drop = TRUE;
    }
    return drop;
}

void MergeScan(HWND window, BOOL compareBackup)
{
    AppSettings* settings = &g_app.settings;
    Listing* main = &g_app.mainListing;
    Listing* scan = &g_app.scanListing;

    // A scan that broke off holds only part of the cache; merging it would mark
    // every entry it did not reach Deleted.
    // A stopped one leaves everything as it was.
    if (scan->error) {
        DWORD error = scan->error;
        FreeListing(scan);
        ShowListingSummary(main);   // in place of the scan's progress text
        SetStdCursor(IDC_ARROW);
        if (error != ERROR_CANCELLED)
            ShowWarning(window, "Error reading cache");
        return;
    }

    // A scan the worker filled comes indexed, with its strays.
    if (!ScanIndexed(scan))
        IndexScan(scan, settings->includeStrays);

    // Rows of a kind switched off leave before the merge, together with the rows
    // earlier merges marked Deleted, so they vanish instead of showing as Deleted.
    BOOL drop = MarkSwitchedOffKinds(main);
    if (drop)
        RefreshAfterCompaction();

    MergeEntries(main, scan, settings->includeStrays && !settings->straysAtLastMerge,
                 settings->includeCookies && !settings->cookiesAtLastMerge, compareBackup);
    // A first scan without any file to measure left the main listing without a
    // cluster size; take the scan's.
    if (!main->clusterSize)
        main->clusterSize = scan->clusterSize;
    FreeListing(scan);

    SortListing(main, settings->sortColumn, settings->sortDirection);
    AddListRows(main, TRUE);
    ShowListingSummary(main);
    if (!drop)
        InvalidateRect(g_app.listView, NULL, FALSE);

    settings->straysAtLastMerge = settings->includeStrays;
    settings->cookiesAtLastMerge = settings->includeCookies;
    SetStdCursor(IDC_ARROW);
}
