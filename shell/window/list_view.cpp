#include "list_view.h"
#include "long_work.h"
#include "app_state.h"
#include "columns.h"
#include "compaction.h"
#include "entry_status.h"
#include "ordering.h"
#include "resource.h"
#include "selection.h"
#include "shown_rows.h"
#include "sort_arrow.h"
#include "status_parts.h"

// The one buffer every formatted cell is written into; the control copies the
// text before it asks for the next cell.
static char displayBuffer[CELL_TEXT_BYTES];

BOOL InsertColumns()
{
    for (int i = 0; ColumnTable[i].caption; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = g_app.settings.columnWidths[i];
        column.pszText = (LPSTR)ColumnTable[i].caption;
        column.iSubItem = i;
        if (SendMessageA(g_app.listView, LVM_INSERTCOLUMNA, i, (LPARAM)&column) == -1)
            return FALSE;
    }
    return TRUE;
}

const char* CellText(const CacheEntry* entry, int column)
{
    return FormatCell(entry, column, displayBuffer);
}

static BOOL InsertCallbackRow(LONG row)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = row;
    item.pszText = LPSTR_TEXTCALLBACKA;
    return SendMessageA(g_app.listView, LVM_INSERTITEMA, 0, (LPARAM)&item) != -1;
}

// Inserts the rows without touching the redraw state.
static BOOL InsertRows(Listing* listing, BOOL newOnly)
{
    for (LONG i = 0; i < listing->count; i++) {
        CacheEntry* entry = EntryAt(listing, i);
        if (!entry)
            break;
        if (newOnly && entry->status < STATUS_ADDED)
            continue;
        if (entry->status == STATUS_ADDED_HIDDEN)
            entry->status = STATUS_UNCHANGED;
        if (!InsertCallbackRow(i))
            return FALSE;
    }
    return TRUE;
}

// A visible list view repaints after every inserted row; bulk changes are made
// with redrawing off and end with one repaint.
static void SuspendRedraw()
{
    SendMessageA(g_app.listView, WM_SETREDRAW, FALSE, 0);
}

static void ResumeRedraw()
{
    SendMessageA(g_app.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_app.listView, NULL, FALSE);
}

// Rows added or dropped one by one with the control repainting meanwhile; beyond
// this, redrawing is suspended, which itself costs about as much as a repaint.
static const LONG FEW_ROWS = 32;

// Makes the control hold `count` rows. The rows hold no text, only their place,
// so the rows it has are kept and rows are added or dropped at the end, whichever
// is quicker; the selection, which may now be on another entry, is cleared. The
// rows are repainted once, later.
static BOOL SetRowCount(LONG count)
{
    HWND list = g_app.listView;
    LONG had = (LONG)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    BOOL bulk = had - count > FEW_ROWS || count - had > FEW_ROWS;
    if (bulk)
        SuspendRedraw();
    if (had - count > count) {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        had = 0;
    }
    const UINT marks[] = {LVNI_SELECTED, LVNI_FOCUSED};
    for (UINT mark : marks) {
        LONG row = (LONG)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, mark);
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        if (row >= 0)
            SendMessageA(list, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
    SendMessageA(list, LVM_SETITEMCOUNT, count, 0);
    while (had > count)
        SendMessageA(list, LVM_DELETEITEM, --had, 0);
    BOOL done = TRUE;
    for (LONG row = had; done && row < count; row++)
        done = InsertCallbackRow(row);
    if (bulk)
        ResumeRedraw();
    else
        InvalidateRect(list, NULL, FALSE);
    return done;
}

// Rows added while their option was just switched on are shown unchanged from now on.
static void ShowAddedHiddenUnchanged(Listing* listing)
{
    for (LONG i = 0; i < listing->count; i++) {
        CacheEntry* entry = EntryAt(listing, i);
        if (entry->status == STATUS_ADDED_HIDDEN)
            entry->status = STATUS_UNCHANGED;
    }
}

// With the rows narrowed, every change of the rows rebuilds them over the entries
// the filter passes, in the listing's order. It only reads the listing, so the
// filter may change the rows while a save reads the listing too.
static BOOL InsertShownRows(Listing* listing)
{
    ShownRows* shown = &g_app.shownRows;
    BOOL done = CollectShownRows(shown, listing) && SetRowCount(shown->count);
    ShowShownCount();
    return done;
}

BOOL AddListRows(Listing* listing, BOOL newOnly)
{
    if (RowsNarrowed()) {
        ShowAddedHiddenUnchanged(listing);
        return InsertShownRows(listing);
    }
    SuspendRedraw();
    BOOL done = InsertRows(listing, newOnly);
    ResumeRedraw();
    return done;
}

BOOL AppendListRows(Listing* listing, LONG first)
{
    ShownRows* shown = &g_app.shownRows;
    BOOL narrowed = RowsNarrowed();
    SuspendRedraw();
    BOOL done = TRUE;
    for (LONG i = first; done && i < listing->count; i++) {
        LONG had = shown->count;
        if (!narrowed)
            done = InsertCallbackRow(i);
        else if ((done = AddShownRow(shown, listing, i)) && shown->count > had)
            done = InsertCallbackRow(had);
    }
    ResumeRedraw();
    if (narrowed)
        ShowShownCount();
    return done;
}

BOOL ReplaceListRows(Listing* listing)
{
    if (RowsNarrowed())
        return InsertShownRows(listing);
    return SetRowCount(listing->count);
}

DWORD RefreshAfterCompaction()
{
    Listing* main = &g_app.mainListing;
    DWORD error = CompactListing(main);
    if (error)
        return error;
    SortListing(main, g_app.settings.sortColumn, g_app.settings.sortDirection);
    ReplaceListRows(main);
    return 0;
}

static LRESULT OnGetDisplayInfo(NMLVDISPINFOA* info)
{
    const CacheEntry* entry = EntryOfRow(info->item.iItem);
    if (entry)
        info->item.pszText = (LPSTR)CellText(entry, info->item.iSubItem);
    return 1;
}

// A click on the sorted column's header reverses the order; another column is
// sorted in the direction in force. The selected entry stays selected.
static void OnColumnClick(LONG column)
{
    AppSettings* settings = &g_app.settings;
    if (column < 0 || column >= COLUMN_COUNT)
        return;
    // The order may not change while work runs: a save may be reading it.
    if (CurrentWork()) {
        MessageBeep(MB_OK);
        return;
    }
    if (column == settings->sortColumn)
        settings->sortDirection = settings->sortDirection ? 0 : 1;
    settings->sortColumn = column;
    SelectionMark selected;
    RememberSelection(&selected);
    SortListing(&g_app.mainListing, column, settings->sortDirection);
    // The changed rows keep their number; only the positions they show move.
    if (RowsNarrowed())
        CollectShownRows(&g_app.shownRows, &g_app.mainListing);
    InvalidateRect(g_app.listView, NULL, TRUE);
    RestoreSelection(&selected);
    ShowSortArrow(column, settings->sortDirection);
}

// The activated row becomes the selected one, and the frame opens the selected
// row, as it does for any command of its children.
static void ActivateRow(HWND window, LONG row)
{
    if (row < 0)
        return;
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(g_app.listView, LVM_SETITEMSTATE, row, (LPARAM)&state);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_OPEN_ENTRY, 0), (LPARAM)g_app.listView);
}

LRESULT OnListNotify(HWND window, WPARAM wParam, NMHDR* notification)
{
    switch (notification->code) {
    case LVN_DELETEALLITEMS:
        return TRUE;    // no LVN_DELETEITEM for each row: the rows hold nothing to free
    case LVN_GETDISPINFOA:
        return OnGetDisplayInfo((NMLVDISPINFOA*)notification);
    case LVN_ITEMACTIVATE:
        ActivateRow(window, ((NMITEMACTIVATE*)notification)->iItem);
        break;
    case LVN_COLUMNCLICK:
        OnColumnClick(((NMLISTVIEW*)notification)->iSubItem);
        break;
    }
    return DefWindowProcA(window, WM_NOTIFY, wParam, (LPARAM)notification);
}
