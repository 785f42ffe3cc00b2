#include "backup_load.h"
#include "app_state.h"
#include "backup_reader.h"
#include "entry_index.h"
#include "file_dialogs.h"
#include "fill_progress.h"
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

// Reads the file into a fresh listing that keeps the main listing's cluster size
// (a backup file brings none), showing the count as it goes. Gives the listing's
// error; on failure the fresh listing holds nothing.
static DWORD LoadIntoFreshListing(const char* path, Listing* fresh)
{
    ZeroMemory(fresh, sizeof *fresh);
    fresh->clusterSize = g_app.mainListing.clusterSize;
    StatusProgress status;
    StartStatusProgress(&status, READING_BACKUP_FILE);
    return LoadBackupFile(path, fresh, &status.progress);
}

DWORD PromptAndLoadBackup(HWND window, BOOL asNewListing)
{
    char path[FILE_NAME_BYTES] = "";
    if (!AskBackupFilePath(window, path))
        return ERROR_CANCELLED;

    // The file goes into a listing of its own first: a file that cannot be read
    // leaves the listing on screen, its statuses and totals as they were.
    SetStdCursor(IDC_WAIT);
    Listing loaded;
    DWORD error = LoadIntoFreshListing(path, &loaded);
    if (error) {
        FreeListing(&loaded);
        ShowListingSummary(&g_app.mainListing);     // in place of the progress text
        SetStdCursor(IDC_ARROW);
        ShowFileError(window, "Couldn't load the cache backup file", path, error);
        return error;
    }
    Listing* target = asNewListing ? &g_app.mainListing : &g_app.scanListing;
    FreeListing(target);
    *target = loaded;
    ApplyLoadedOptions(window, target, asNewListing);
    return 0;
}

DWORD LoadNewListing(HWND window)
{
    DWORD error = PromptAndLoadBackup(window, TRUE);
    if (error)
        return error;
    ShowWholeListing();
    SetStdCursor(IDC_ARROW);
    return 0;
}
