#include "backup_load.h"
#include "app_state.h"
#include "backup_reader.h"
#include "entry_index.h"
#include "file_dialogs.h"
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

// The main listing was freed before a load that then failed: it starts again
// empty, with pools and indexes for the next scan to merge into, and the list and
// the status bar say so.
static void ShowEmptyMainListing()
{
    Listing* main = &g_app.mainListing;
    FreeListing(main);
    InitListing(main);
    ShowWholeListing();
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

DWORD PromptAndLoadBackup(HWND window, BOOL asNewListing)
{
    Listing* target = asNewListing ? &g_app.mainListing : &g_app.scanListing;
    char path[FILE_NAME_BYTES] = "";
    if (!AskBackupFilePath(window, path))
        return ERROR_CANCELLED;

    SetStdCursor(IDC_WAIT);
    if (asNewListing)
        FreeListing(target);
    LoadBackupFile(path, target);
    DWORD error = target->error;
    if (error) {
        if (asNewListing)
            ShowEmptyMainListing();
        else
            FreeListing(target);
        SetStdCursor(IDC_ARROW);
        ShowFileError(window, "Couldn't load the cache backup file", path, error);
        return error;
    }
    ApplyLoadedOptions(window, target, asNewListing);
    return 0;
}

void LoadNewListing(HWND window)
{
    if (PromptAndLoadBackup(window, TRUE))
        return;
    ShowWholeListing();
    SetStdCursor(IDC_ARROW);
}
