#include "sort_arrow.h"
#include <commctrl.h>
#include "app_state.h"

void ShowSortArrow(LONG column, DWORD direction)
{
    HWND header = (HWND)SendMessageA(g_app.listView, LVM_GETHEADER, 0, 0);
    if (!header)
        return;
    int columns = (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < columns; i++) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, i, (LPARAM)&item))
            continue;
        int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column)
            format |= direction ? HDF_SORTDOWN : HDF_SORTUP;
        if (format == item.fmt)
            continue;
        item.fmt = format;
        SendMessageA(header, HDM_SETITEMA, i, (LPARAM)&item);
    }
}
