#include "row_commands.h"
#include "app_state.h"
#include "clipboard.h"
#include "columns.h"
#include "heap.h"
#include "list_view.h"
#include "messages.h"
#include "properties_dialog.h"
#include "resource.h"
#include "save_cached_file.h"
#include "selection.h"

static void CopyText(HWND window, const char* text)
{
    DWORD error = PutClipboardText(window, text);
    if (error)
        ShowError(window, "Couldn't copy to the clipboard.", error);
}

// Appends the text at `end`; gives the new end.
static char* Append(char* end, const char* text)
{
    int length = lstrlenA(text);
    CopyMemory(end, text, (SIZE_T)length + 1);
    return end + length;
}

// The row's fourteen cell texts, separated by tabs, with CR LF at the end.
static void CopyRow(HWND window, const CacheEntry* entry)
{
    DWORD bytes = 3;
    for (int column = 0; column < COLUMN_COUNT; column++)
        bytes += (DWORD)lstrlenA(CellText(entry, column)) + 1;
    char* row = (char*)HeapGet(bytes);
    if (!row) {
        ShowError(window, "Couldn't copy to the clipboard.", ERROR_NOT_ENOUGH_MEMORY);
        return;
    }
    char* end = row;
    for (int column = 0; column < COLUMN_COUNT; column++) {
        // Each cell is copied before the next one reuses the display buffer.
        end = Append(end, CellText(entry, column));
        end = Append(end, column < COLUMN_COUNT - 1 ? "\t" : "\r\n");
    }
    CopyText(window, row);
    HeapRelease(row);
}

// Explorer with the file selected; when the file is gone, Explorer in its folder.
static void OpenContainingFolder(HWND window, const char* path)
{
    char* parameters = (char*)HeapGet((DWORD)lstrlenA(path) + 16);
    if (!parameters || !g_app.shellExecute) {
        HeapRelease(parameters);
        return;
    }
    char* end;
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        end = Append(Append(parameters, "/select,\""), path);
    } else {
        // The folder without its last backslash, which would escape the quote.
        end = Append(parameters, "\"");
        int length = (int)(FileNamePart(path) - path) - 1;
        if (length > 0) {
            CopyMemory(end, path, (SIZE_T)length);
            end += length;
        }
    }
    Append(end, "\"");
    g_app.shellExecute(window, "open", "explorer.exe", parameters, NULL, SW_SHOWNORMAL);
    HeapRelease(parameters);
}

// Whether the command applies to the entry: file commands need a local file,
// "Copy URL" a URL.
static BOOL Applies(UINT command, const CacheEntry* entry)
{
    switch (command) {
    case IDM_COPY_URL:
        return entry->url != NULL;
    case IDM_OPEN_CONTAINING_FOLDER:
    case IDM_COPY_LOCAL_FILE:
    case IDM_SAVE_CACHED_FILE:
        return entry->localFile && entry->localFile[0];
    default:
        return TRUE;
    }
}

BOOL OnRowCommand(HWND window, UINT command)
{
    if (command < IDM_OPEN_CONTAINING_FOLDER || command > IDM_PROPERTIES)
        return FALSE;
    const CacheEntry* entry = SelectedEntry();
    if (!entry || !Applies(command, entry)) {
        MessageBeep(MB_OK);
        return TRUE;
    }
    switch (command) {
    case IDM_OPEN_CONTAINING_FOLDER:
        OpenContainingFolder(window, entry->localFile);
        break;
    case IDM_COPY_URL:
        CopyText(window, entry->url);
        break;
    case IDM_COPY_LOCAL_FILE:
        CopyText(window, entry->localFile);
        break;
    case IDM_COPY_ROW:
        CopyRow(window, entry);
        break;
    case IDM_SAVE_CACHED_FILE:
        SaveCachedFileAs(window, entry->localFile);
        break;
    case IDM_PROPERTIES:
        ShowProperties(window, entry);
        break;
    }
    return TRUE;
}
