#include "delete_entries.h"
#include "app_state.h"
#include "messages.h"
#include "number_text.h"
#include "resource.h"
#include "selection.h"
#include "shown_rows.h"
#include "work_commands.h"

static const char DELETE_CAPTION[] = "Delete From Cache";
// Room for the questions and the closing message, a URL of up to 300 characters included.
static const int QUESTION_BYTES = 1024;

static BOOL Confirmed(HWND window, const char* question)
{
    return MessageBoxA(window, question, DELETE_CAPTION, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The question for the selected row; FALSE (with a beep) when it names no entry of the cache.
static BOOL AskForSelectedRow(HWND window, LONG* position)
{
    *position = ListingPosition(SelectedRow());
    const CacheEntry* entry = EntryAt(&g_app.mainListing, *position);
    if (!IsDeletableEntry(entry)) {
        MessageBeep(MB_OK);
        return FALSE;
    }
    char question[QUESTION_BYTES];
    wsprintfA(question, "Delete this entry and its cached file from the cache?\r\n\r\n%.300s\r\n\r\nThis cannot be undone.",
              entry->url);
    return Confirmed(window, question);
}

static BOOL AskForShownRows(HWND window)
{
    LONG deletable = 0, rows = ShownRowCount();
    for (LONG row = 0; row < rows; row++)
        deletable += IsDeletableEntry(EntryOfRow(row)) ? 1 : 0;
    if (deletable == 0) {
        ShowWarning(window, "None of the rows shown is an entry of the cache: stray files, rows read from a "
                            "backup file and rows already deleted cannot be deleted from it.");
        return FALSE;
    }
    char count[GROUPED_NUMBER_BYTES], others[GROUPED_NUMBER_BYTES], question[QUESTION_BYTES];
    FormatGroupedNumber((DWORD)deletable, count);
    FormatGroupedNumber((DWORD)(rows - deletable), others);
    wsprintfA(question, "Delete the %s %s shown and %s cached files from the cache?%s%s%s\r\n\r\nThis cannot be undone.",
              count, deletable == 1 ? "entry" : "entries", deletable == 1 ? "its" : "their",
              rows > deletable ? "\r\n\r\nThe other " : "", rows > deletable ? others : "",
              rows > deletable ? " rows shown are not entries of the cache and are skipped." : "");
    return Confirmed(window, question);
}

void StartDeleteCommand(HWND window, UINT command)
{
    LONG position = -1;
    if (command == IDM_DELETE_ENTRY ? !AskForSelectedRow(window, &position) : !AskForShownRows(window))
        return;
    LongWork* work = NewWork(window, WORK_DELETE_ENTRIES);
    work->position = position;
    BeginWork(window, work);
}

void FinishDeletion(HWND window, const CacheDeleteOutcome* deletion)
{
    StartWorkCommand(window, IDM_SCAN_CACHE);
    if (!deletion->failed && !deletion->skipped)
        return;
    char deleted[GROUPED_NUMBER_BYTES], skipped[GROUPED_NUMBER_BYTES], failed[GROUPED_NUMBER_BYTES];
    FormatGroupedNumber((DWORD)deletion->deleted, deleted);
    FormatGroupedNumber((DWORD)deletion->skipped, skipped);
    FormatGroupedNumber((DWORD)deletion->failed, failed);
    char text[QUESTION_BYTES], reason[ERROR_TEXT_BYTES] = "";
    wsprintfA(text, "%s deleted from the cache, %s skipped (not entries of the cache), %s could not be deleted now.",
              deleted, skipped, failed);
    if (deletion->failed) {
        SystemErrorText(deletion->firstError, reason);
        DWORD code = deletion->firstError;
        // The cache marks an entry in use and deletes it once it is let go.
        BOOL inUse = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED;
        int used = lstrlenA(text);
        wsprintfA(text + used, "\r\n\r\nThe first of them:\r\n%.300s\r\n\r\n%s%s", deletion->firstFailure, reason,
                  inUse ? "\r\nAn entry in use goes from the cache once the program using it lets it go." : "");
    }
    ShowWarning(window, text);
}
