#include "shown_rows.h"
#include "app_state.h"
#include "entry_status.h"
#include "heap.h"

// Room for `needed` positions; FALSE when memory ran out.
static BOOL Reserve(ShownRows* rows, LONG needed)
{
    if (needed <= rows->capacity)
        return TRUE;
    LONG* grown = (LONG*)HeapResize(rows->positions, (DWORD)needed * sizeof(LONG));
    if (!grown)
        return FALSE;
    rows->positions = grown;
    rows->capacity = needed;
    return TRUE;
}

BOOL CollectChangedRows(ShownRows* rows, const Listing* listing)
{
    rows->count = 0;
    LONG changed = 0;
    for (LONG i = 0; i < listing->count; i++)
        changed += IsChangedStatus(EntryAt(listing, i)->status) ? 1 : 0;
    if (!Reserve(rows, changed))
        return FALSE;
    for (LONG i = 0; i < listing->count; i++) {
        if (IsChangedStatus(EntryAt(listing, i)->status))
            rows->positions[rows->count++] = i;
    }
    return TRUE;
}

void FreeShownRows(ShownRows* rows)
{
    HeapRelease(rows->positions);
    rows->positions = NULL;
    rows->count = rows->capacity = 0;
}

LONG ListingPosition(LONG row)
{
    const ShownRows* rows = &g_app.shownRows;
    if (!rows->changesOnly)
        return row >= 0 && row < g_app.mainListing.count ? row : -1;
    return row >= 0 && row < rows->count ? rows->positions[row] : -1;
}

LONG RowOfPosition(LONG position)
{
    const ShownRows* rows = &g_app.shownRows;
    if (!rows->changesOnly)
        return position;
    // The positions ascend with the rows.
    LONG low = 0, high = rows->count;
    while (low < high) {
        LONG middle = low + (high - low) / 2;
        if (rows->positions[middle] < position)
            low = middle + 1;
        else
            high = middle;
    }
    return low < rows->count && rows->positions[low] == position ? low : -1;
}

CacheEntry* EntryOfRow(LONG row)
{
    return EntryAt(&g_app.mainListing, ListingPosition(row));
}

LONG ShownRowCount()
{
    return g_app.shownRows.changesOnly ? g_app.shownRows.count : g_app.mainListing.count;
}
