#include "app_state.h"
#include <commctrl.h>
#include "columns.h"
#include "settings.h"

AppState g_app;

void SaveSettings(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    if (g_app.listView) {
        for (int i = 0; ColumnTable[i].caption; i++)
            g_app.settings.columnWidths[i] = (LONG)SendMessageA(g_app.listView, LVM_GETCOLUMNWIDTH, i, 0);
    }
    WriteSettings(&g_app.settings, &rect);
}
