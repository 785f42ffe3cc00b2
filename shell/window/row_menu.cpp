#include "row_menu.h"
#include <commctrl.h>
#include "app_state.h"
#include "cache_delete.h"
#include "resource.h"
#include "selection.h"
#include "shown_rows.h"

enum ItemNeeds { ALWAYS, NEEDS_FILE, NEEDS_URL, NEEDS_CACHE_ENTRY };

struct RowMenuItem {
    UINT command;           // 0: a separator
    const char* caption;
    ItemNeeds needs;
};

static const RowMenuItem RowMenuItems[] = {
    {IDM_OPEN_ENTRY, "Open\tEnter", NEEDS_FILE},
    {IDM_OPEN_CONTAINING_FOLDER, "Open Containing Folder", NEEDS_FILE},
    {0, NULL, ALWAYS},
    {IDM_COPY_URL, "Copy URL\tCtrl+C", NEEDS_URL},
    {IDM_COPY_LOCAL_FILE, "Copy Local File Path", NEEDS_FILE},
    {IDM_COPY_ROW, "Copy Row", ALWAYS},
    {0, NULL, ALWAYS},
    {IDM_SAVE_CACHED_FILE, "Save Cached File As...", NEEDS_FILE},
    {IDM_SAVE_FILES_TO_FOLDER, "Save Cached Files To Folder...", ALWAYS},   // the rows shown, not this one
    {0, NULL, ALWAYS},
    {IDM_DELETE_ENTRY, "Delete From Cache...\tDel", NEEDS_CACHE_ENTRY},
    {IDM_DELETE_SHOWN, "Delete Shown Entries From Cache...", ALWAYS},
    {0, NULL, ALWAYS},
    {IDM_PROPERTIES, "Properties\tAlt+Enter", ALWAYS},
};

HMENU CreateRowMenu(const CacheEntry* entry)
{
    HMENU menu = CreatePopupMenu();
    if (!menu || !entry)
        return menu;
    BOOL hasFile = entry->localFile && entry->localFile[0];
    for (const RowMenuItem& item : RowMenuItems) {
        if (!item.command) {
            AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
            continue;
        }
        BOOL applies = item.needs == ALWAYS || (item.needs == NEEDS_FILE        ? hasFile
                                                : item.needs == NEEDS_CACHE_ENTRY ? IsDeletableEntry(entry)
                                                                                  : entry->url != NULL);
        AppendMenuA(menu, MF_STRING | (applies ? MF_ENABLED : MF_GRAYED), item.command, item.caption);
    }
    SetMenuDefaultItem(menu, IDM_OPEN_ENTRY, FALSE);
    return menu;
}

// The row for the menu and where the menu opens (screen coordinates): the row
// under the mouse, or for the keyboard (position -1) the selected row, scrolled
// into view, with the menu below its first cell. -1 when there is none.
static LONG MenuRow(LPARAM position, POINT* at)
{
    HWND list = g_app.listView;
    if (position == -1) {
        LONG row = SelectedRow();
        RECT place = {LVIR_LABEL, 0, 0, 0};
        if (row < 0)
            return -1;
        SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
        SendMessageA(list, LVM_GETITEMRECT, row, (LPARAM)&place);
        at->x = place.left;
        at->y = place.bottom;
        ClientToScreen(list, at);
        return row;
    }
    at->x = (short)LOWORD(position);
    at->y = (short)HIWORD(position);
    LVHITTESTINFO hit = {};
    hit.pt = *at;
    ScreenToClient(list, &hit.pt);
    return (LONG)SendMessageA(list, LVM_HITTEST, 0, (LPARAM)&hit);
}

BOOL ShowRowMenu(HWND window, HWND source, LPARAM position)
{
    if (!source || source != g_app.listView)
        return FALSE;
    POINT at;
    LONG row = MenuRow(position, &at);
    const CacheEntry* entry = EntryOfRow(row);
    if (!entry)
        return TRUE;
    if (row != SelectedRow())
        SelectRow(row);
    HMENU menu = CreateRowMenu(entry);
    if (menu) {
        // The chosen item arrives as a WM_COMMAND and works on the selected row.
        TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, NULL);
        DestroyMenu(menu);
    }
    return TRUE;
}
