#include "selection.h"
#include <commctrl.h>
#include <string.h>
#include "app_state.h"
#include "heap.h"
#include "shown_rows.h"

LONG SelectedRow()
{
    return (LONG)SendMessageA(g_app.listView, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

CacheEntry* SelectedEntry()
{
    LONG row = SelectedRow();
    return row >= 0 ? EntryOfRow(row) : NULL;
}

void SelectRow(LONG row)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(g_app.listView, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
    if (row < 0)
        return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(g_app.listView, LVM_SETITEMSTATE, row, (LPARAM)&state);
    SendMessageA(g_app.listView, LVM_ENSUREVISIBLE, row, FALSE);
}

static char* CopyText(const char* text)
{
    if (!text)
        return NULL;
    DWORD bytes = (DWORD)strlen(text) + 1;
    char* copy = (char*)HeapGet(bytes);
    if (copy)
        CopyMemory(copy, text, bytes);
    return copy;
}

void RememberSelection(SelectionMark* mark)
{
    const CacheEntry* entry = SelectedEntry();
    mark->held = entry != NULL;
    mark->url = entry ? CopyText(entry->url) : NULL;
    mark->localFile = entry ? CopyText(entry->localFile) : NULL;
    // Without its key the entry cannot be found again.
    if ((entry && entry->url && !mark->url) || (entry && entry->localFile && !mark->localFile))
        mark->held = FALSE;
}

static BOOL SameText(const char* a, const char* b)
{
    return a && b ? strcmp(a, b) == 0 : a == b;
}

// The position of the remembered entry in the main listing: the entry with the
// same URL and local file; else the first with the same URL (it moved to another
// file, or a backup file without local files was loaded), or for a stray the first
// with its file (the cache may name it now). -1 when it is gone.
static LONG FindRemembered(const SelectionMark* mark)
{
    const Listing* main = &g_app.mainListing;
    LONG similar = -1;
    for (LONG i = 0; i < main->count; i++) {
        const CacheEntry* entry = EntryAt(main, i);
        BOOL sameUrl = SameText(entry->url, mark->url);
        BOOL sameFile = SameText(entry->localFile, mark->localFile);
        if (sameUrl && sameFile)
            return i;
        if (similar < 0 && (mark->url ? sameUrl : sameFile))
            similar = i;
    }
    return similar;
}

void RestoreSelection(SelectionMark* mark)
{
    if (mark->held)
        SelectRow(RowOfPosition(FindRemembered(mark)));
    HeapRelease(mark->url);
    HeapRelease(mark->localFile);
    mark->url = mark->localFile = NULL;
    mark->held = FALSE;
}
