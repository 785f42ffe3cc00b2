#include "settings.h"
#include "columns.h"

const WindowParams DefaultWindowParams = {
    "Brindlewick",
    WS_OVERLAPPEDWINDOW,
    WS_EX_OVERLAPPEDWINDOW | WS_EX_STATICEDGE,
    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
    SW_SHOWDEFAULT,
};

static void SetDefaultWidths(LONG* widths)
{
    for (int i = 0; ColumnTable[i].caption; i++)
        widths[i] = ColumnTable[i].defaultWidth;
}

void SetDefaultSettings(AppSettings* settings)
{
    ZeroMemory(settings, sizeof(*settings));
    settings->sortColumn = COLUMN_LAST_ACCESS;
    settings->sortDirection = 1;
    settings->window = DefaultWindowParams;
    SetDefaultWidths(settings->columnWidths);
}

// Reads a value of exactly `bytes` bytes (at most 16) into `target`. A value of
// another size counts as not read and leaves `target` alone.
static BOOL ReadExact(HKEY key, const char* name, void* target, DWORD bytes)
{
    BYTE buffer[16];
    DWORD size = bytes;
    if (bytes > sizeof(buffer))
        return FALSE;
    if (RegQueryValueExA(key, name, NULL, NULL, buffer, &size) != ERROR_SUCCESS || size != bytes)
        return FALSE;
    CopyMemory(target, buffer, bytes);
    return TRUE;
}

// A stored option or direction counts as set when it is non-zero; it is held as 1
// so that a toggle always clears it.
static BOOL ReadFlag(HKEY key, const char* name, DWORD* flag)
{
    DWORD value;
    if (!ReadExact(key, name, &value, sizeof(value)))
        return FALSE;
    *flag = value ? 1 : 0;
    return TRUE;
}

// A stored column beyond the table falls back to "Last Access"; a negative one
// (unsorted) stays.
static BOOL ReadSortColumn(HKEY key, LONG* column)
{
    LONG value;
    if (!ReadExact(key, "Sort Column", &value, sizeof(value)))
        return FALSE;
    *column = value < COLUMN_COUNT ? value : COLUMN_LAST_ACCESS;
    return TRUE;
}

// Reads "Column Widths"; a value shorter than the sixteen widths fills the whole
// widths it holds.
static BOOL ReadColumnWidths(HKEY key, LONG* widths)
{
    LONG buffer[COLUMN_WIDTH_SLOTS];
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key, "Column Widths", NULL, NULL, (BYTE*)buffer, &size) != ERROR_SUCCESS)
        return FALSE;
    CopyMemory(widths, buffer, size / sizeof(LONG) * sizeof(LONG));
    return TRUE;
}

// Reads "Open Command" whatever its type; the text always ends within the field.
static void ReadOpenCommand(HKEY key, char* command)
{
    char buffer[OPEN_COMMAND_BYTES];
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key, "Open Command", NULL, NULL, (BYTE*)buffer, &size) != ERROR_SUCCESS)
        return;
    if (size > OPEN_COMMAND_BYTES - 1)
        size = OPEN_COMMAND_BYTES - 1;
    ZeroMemory(command, OPEN_COMMAND_BYTES);
    CopyMemory(command, buffer, size);
}

// A stored window needs its title bar on screen to be moved, and some size to be
// used: its top TITLE_BAR_ROWS rows count as the title bar, of which
// TITLE_BAR_ROWS_SHOWN rows must lie on one monitor's work area (a maximized
// window's frame lies up to 8 pixels beyond the screen's edges) across
// TITLE_BAR_SPAN pixels, enough to take hold of.
const LONG TITLE_BAR_ROWS = 30;
const LONG TITLE_BAR_ROWS_SHOWN = 20;
const LONG TITLE_BAR_SPAN = 100;
const LONG MIN_WINDOW_WIDTH = 200;
const LONG MIN_WINDOW_HEIGHT = 100;
// Wider than any screen shows whole: such a stored width is damage, not a choice.
const LONG MAX_COLUMN_WIDTH = 4096;

struct TitleBarSearch {
    RECT titleBar;
    BOOL found;
};

static BOOL CALLBACK FindWorkAreaHoldingTitleBar(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    TitleBarSearch* search = (TitleBarSearch*)data;
    MONITORINFO info;
    info.cbSize = sizeof(info);
    RECT shown;
    if (GetMonitorInfoA(monitor, &info) && IntersectRect(&shown, &info.rcWork, &search->titleBar) &&
        shown.right - shown.left >= TITLE_BAR_SPAN && shown.bottom - shown.top >= TITLE_BAR_ROWS_SHOWN)
        search->found = TRUE;
    return !search->found;
}

// A stored rectangle is used only when it has a usable size and its title bar
// lies on a monitor's work area; a window closed while minimized, on a monitor
// since removed, or dragged nearly off the screen would otherwise open out of
// reach.
static BOOL IsUsableWindowRect(const RECT* rect)
{
    LONGLONG width = (LONGLONG)rect->right - rect->left;
    LONGLONG height = (LONGLONG)rect->bottom - rect->top;
    if (width < MIN_WINDOW_WIDTH || height < MIN_WINDOW_HEIGHT || width > MAXLONG || height > MAXLONG)
        return FALSE;
    TitleBarSearch search = {{rect->left, rect->top, rect->right, rect->top + TITLE_BAR_ROWS}, FALSE};
    EnumDisplayMonitors(NULL, NULL, FindWorkAreaHoldingTitleBar, (LPARAM)&search);
    return search.found;
}

void LoadSettings(AppSettings* settings)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;

    // The window rectangle needs the first five values, the widths all six.
    BOOL allRead = ReadFlag(key, "Include Strays", &settings->includeStrays);
    allRead &= ReadFlag(key, "Include Cookies", &settings->includeCookies);
    settings->straysAtLastMerge = settings->includeStrays;
    settings->cookiesAtLastMerge = settings->includeCookies;
    allRead &= ReadSortColumn(key, &settings->sortColumn);
    allRead &= ReadFlag(key, "Sort Direction", &settings->sortDirection);

    RECT rect;
    allRead &= ReadExact(key, "Window Metrics", &rect, sizeof(rect));
    if (allRead && IsUsableWindowRect(&rect)) {
        settings->window.x = rect.left;
        settings->window.y = rect.top;
        settings->window.width = rect.right - rect.left;
        settings->window.height = rect.bottom - rect.top;
    }

    allRead &= ReadColumnWidths(key, settings->columnWidths);
    if (!allRead)
        SetDefaultWidths(settings->columnWidths);
    for (int i = 0; ColumnTable[i].caption; i++) {
        if (settings->columnWidths[i] < 0 || settings->columnWidths[i] > MAX_COLUMN_WIDTH)
            settings->columnWidths[i] = ColumnTable[i].defaultWidth;
    }

    ReadOpenCommand(key, settings->openCommand);
    RegCloseKey(key);
}

static void WriteDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
}

void WriteSettings(const AppSettings* settings, const RECT* window)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return;

    WriteDword(key, "Include Strays", settings->includeStrays);
    WriteDword(key, "Include Cookies", settings->includeCookies);
    WriteDword(key, "Sort Column", (DWORD)settings->sortColumn);
    WriteDword(key, "Sort Direction", settings->sortDirection);
    RegSetValueExA(key, "Window Metrics", 0, REG_BINARY, (const BYTE*)window, sizeof(*window));
    RegSetValueExA(key, "Column Widths", 0, REG_BINARY, (const BYTE*)settings->columnWidths,
                   sizeof(settings->columnWidths));

    RegSetValueExA(key, "Open Command", 0, REG_SZ, (const BYTE*)settings->openCommand,
                   (DWORD)lstrlenA(settings->openCommand) + 1);
    RegCloseKey(key);
}
