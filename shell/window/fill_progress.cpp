#include "fill_progress.h"
#include <commctrl.h>
#include "app_state.h"
#include "number_text.h"

static const DWORD PROGRESS_INTERVAL_MS = 250;

static void ShowProgress(const Listing* listing, void* context)
{
    LONG entries = listing->count;
    StatusProgress* status = (StatusProgress*)context;
    DWORD now = GetTickCount();
    if (status->shown && now - status->shownAt < PROGRESS_INTERVAL_MS)
        return;
    status->shown = TRUE;
    status->shownAt = now;
    char count[GROUPED_NUMBER_BYTES];
    FormatGroupedNumber(entries < 0 ? 0 : (DWORD)entries, count);
    char text[64];
    wsprintfA(text, "%s: %s entries", status->what, count);
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, (LPARAM)text);
    UpdateWindow(g_app.statusBar);
}

void StartStatusProgress(StatusProgress* status, const char* what)
{
    status->progress.report = ShowProgress;
    status->progress.context = status;
    status->progress.stop = NULL;
    status->what = what;
    status->shownAt = 0;
    status->shown = FALSE;
}
