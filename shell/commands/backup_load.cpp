#include "backup_load.h"
#include "app_state.h"
#include "entry_index.h"
#include "list_view.h"
#include "listing_summary.h"
#include "messages.h"
#include "ordering.h"
#include "resource.h"
#include "ui_helpers.h"

// Builds both indexes of the main listing, sorts it and shows all of its rows and
// its totals.
static void ShowWholeListing()
{
    Listing* main = &g_app.mainListing;
    BuildIndex(&main->byLocalFile, main);
    BuildIndex(&main->byUrl, main);
    SortListing(main, g_app.settings.sortColumn, g_app.settings.sortDirection);
    ReplaceListRows(main);
    ShowListingSummary(main);
}

// What a loaded file changes in the options: its cookies switch cookies on, and
// it holds no strays.
static void ApplyLoadedOptions(HWND window, const Listing* loaded, BOOL asNewListing)
{
    AppSettings* settings = &g_app.settings;
    HMENU menu = GetMenu(window);
    if (loaded->flags & LISTING_HAS_COOKIE) {
        settings->includeCookies = 1;
        CheckOption(menu, IDM_INCLUDE_COOKIES, 1);
    }
    settings->includeStrays = 0;
    if (asNewListing) {
        settings->straysAtLastMerge = 0;
        settings->cookiesAtLastMerge = settings->includeCookies;
    }
    CheckOption(menu, IDM_INCLUDE_STRAYS, 0);
}

BOOL TakeLoadedListing(HWND window, Listing* loaded, const char* path, BOOL asNewListing)
{
    // A file that cannot be read leaves the listing on screen, its statuses and
    // totals as they were.
    if (loaded->error) {
        DWORD error = loaded->error;
        FreeListing(loaded);
        ShowListingSummary(&g_app.mainListing);     // in place of the progress text
        if (error != ERROR_CANCELLED)
            ShowFileError(window, "Couldn't load the cache backup file", path, error);
        return FALSE;
    }
    Listing* target = asNewListing ? &g_app.mainListing : &g_app.scanListing;
    FreeListing(target);
    *target = *loaded;
    ZeroMemory(loaded, sizeof *loaded);
    ApplyLoadedOptions(window, target, asNewListing);
    if (asNewListing)
        ShowWholeListing();
    return TRUE;
}
