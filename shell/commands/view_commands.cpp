#include "view_commands.h"
#include "app_state.h"
#include "filter_bar.h"
#include "find_dialog.h"
#include "list_view.h"
#include "resource.h"
#include "status_parts.h"
#include "ui_helpers.h"

// Shows only the changed rows (of those the filter bar passes), or every row
// again. It changes only what is shown; it is off at every start and not stored,
// since after start-up every row is unchanged.
static void ToggleChangesOnly(HWND window)
{
    ShownRows* shown = &g_app.shownRows;
    shown->filter.changedOnly = !shown->filter.changedOnly;
    if (!RowsNarrowed())
        FreeShownRows(shown);
    CheckOption(GetMenu(window), IDM_SHOW_CHANGES_ONLY, shown->filter.changedOnly);
    PlaceStatusParts();
    ReplaceListRows(&g_app.mainListing);
}

BOOL OnViewCommand(HWND window, UINT command)
{
    switch (command) {
    case IDM_FIND:
        ShowFindDialog(window);
        return TRUE;
    case IDM_FIND_NEXT:
        RepeatFind(window, TRUE);
        return TRUE;
    case IDM_FIND_PREVIOUS:
        RepeatFind(window, FALSE);
        return TRUE;
    case IDM_FILTER:
        ShowFilterBar(window);
        return TRUE;
    case IDM_SHOW_CHANGES_ONLY:
        ToggleChangesOnly(window);
        return TRUE;
    }
    return FALSE;
}
