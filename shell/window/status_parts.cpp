#include "status_parts.h"
#include <commctrl.h>
#include "app_state.h"
#include "shown_rows.h"

// Right edge of part 0, as the totals have always had it.
static const int TOTALS_RIGHT = 600;
// Width of the "Showing N of M" part.
static const int SHOWN_PART_WIDTH = 180;
// Room the strays' text needs ("Size of strays: 1234567890   NumStrays: 123456").
static const int STRAYS_PART_WIDTH = 280;

void PlaceStatusParts()
{
    if (!RowsNarrowed()) {
        const int parts[2] = {TOTALS_RIGHT, -1};
        SendMessageA(g_app.statusBar, SB_SETPARTS, 2, (LPARAM)parts);
        return;
    }
    RECT bar = {0, 0, 0, 0};
    GetClientRect(g_app.statusBar, &bar);
    // In a narrow window the count gives way: the totals and the strays keep their
    // room, and the count takes what is left, if anything.
    // The strays' part needs its room only when it has something to say.
    BOOL straysShown = LOWORD(SendMessageA(g_app.statusBar, SB_GETTEXTLENGTHA, 1, 0)) > 0;
    int strays = bar.right - SHOWN_PART_WIDTH;
    if (strays < TOTALS_RIGHT + (straysShown ? STRAYS_PART_WIDTH : 0))
        strays = TOTALS_RIGHT + (straysShown ? STRAYS_PART_WIDTH : 0);
    const int parts[3] = {TOTALS_RIGHT, strays, -1};
    SendMessageA(g_app.statusBar, SB_SETPARTS, 3, (LPARAM)parts);
    ShowShownCount();
}

void ShowShownCount()
{
    if (!RowsNarrowed())
        return;
    char text[64];
    wsprintfA(text, "Showing %ld of %ld", g_app.shownRows.count, g_app.mainListing.count);
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 2, (LPARAM)text);
}
