#include <windows.h>
#include <commctrl.h>
#include "listing_summary.h"
#include "summary.h"
#include "app_state.h"
#include "shown_rows.h"
#include "status_parts.h"

void ShowListingSummary(const Listing* listing)
{
    ListingSummary summary = SummarizeListing(listing);
    char sizesText[SUMMARY_TEXT_BYTES];
    char straysText[SUMMARY_TEXT_BYTES];
    FormatListingSummary(&summary, sizesText, straysText);
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, (LPARAM)sizesText);
    if (g_app.settings.includeStrays)
        SendMessageA(g_app.statusBar, SB_SETTEXTA, 1, (LPARAM)straysText);
    // The strays' text may need the room the count of rows shown has.
    if (RowsNarrowed())
        PlaceStatusParts();
}
