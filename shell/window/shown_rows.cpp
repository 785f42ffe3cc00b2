#include "shown_rows.h"
#include "app_state.h"
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

BOOL RowsNarrowed()
{
    return FilterNarrows(&g_app.shownRows.filter);
}

BOOL CollectShownRows(ShownRows* rows, const Listing* listing)
{
    rows->count = 0;
    // Room for every row at once: a second pass to count them would cost as much
    // as the first.
    if (!Reserve(rows, listing->count))
        return FALSE;
    for (LONG i = 0; i < listing->count; i++) {
        if (EntryShown(EntryAt(listing, i), &rows->filter))
            rows->positions[rows->count++] = i;
    }
    return TRUE;
}

BOOL AddShownRow(ShownRows* rows, const Listing* listing, LONG position)
{
    if (!EntryShown(EntryAt(listing, position), &rows->filter))
        return TRUE;
    if (rows->count == rows->capacity && !Reserve(rows, rows->capacity ? rows->capacity * 2 : 1024))
        return FALSE;
    rows->positions[rows->count++] = position;
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
    if (!RowsNarrowed())
        return row >= 0 && row < g_app.mainListing.count ? row : -1;
    return row >= 0 && row < rows->count ? rows->positions[row] : -1;
}

LONG RowOfPosition(LONG position)
{
    const ShownRows* rows = &g_app.shownRows;
    if (!RowsNarrowed())
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
    return RowsNarrowed() ? g_app.shownRows.count : g_app.mainListing.count;
}
