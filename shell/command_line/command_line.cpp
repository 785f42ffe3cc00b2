#include "command_line.h"
#include <string.h>
#include "app_settings.h"
#include "backup_reader.h"
#include "backup_writer.h"
#include "body_file.h"
#include "cache_scan.h"
#include "console_output.h"
#include "csv_export.h"
#include "row_filter.h"
#include "entry_index.h"
#include "entry_status.h"
#include "history.h"
#include "json_lines.h"
#include "merge.h"
#include "ordering.h"
#include "settings.h"
#include "site_tree.h"
#include "scan_indexes.h"
#include "system_functions.h"
#include "text_report.h"

static const char USAGE[] =
    "Usage: brindlewick [/since FILE.cbf] [/cookies] [/strays] [/changed]\r\n"
    "                   [/filter \"WORDS\"]\r\n"
    "                   [/report FILE] [/csv FILE] [/jsonl FILE] [/bodyfile FILE]\r\n"
    "                   [/backup FILE.cbf] [/extract FOLDER]\r\n"
    "       brindlewick /history FILE.cbf... | FOLDER\r\n"
    "                   [/csv FILE] [/jsonl FILE] [/bodyfile FILE]\r\n"
    "\r\n"
    "Without arguments Brindlewick opens its window. With them it reads the cache\r\n"
    "without a window, writes the files asked for, in this order, and exits.\r\n"
    "\r\n"
    "  /since FILE.cbf   compare the cache with a backup file: the statuses say what\r\n"
    "                    changed since the file was made\r\n"
    "  /cookies          include cookies in this run\r\n"
    "  /strays           include stray files in this run\r\n"
    "  /report FILE      write the text report; - writes it to standard output\r\n"
    "  /csv FILE         write the listing as CSV; - writes it to standard output\r\n"
    "  /jsonl FILE       write the listing as JSON Lines, one object per entry\r\n"
    "  /bodyfile FILE    write the listing as a body file for timeline tools\r\n"
    "                    (mactime)\r\n"
    "  /backup FILE.cbf  write a cache backup file with the cached files\r\n"
    "  /extract FOLDER   save the cached file of every entry in the folder, as\r\n"
    "                    FOLDER\\host\\path\\name made from its URL; a file there\r\n"
    "                    is never replaced (a numbered name is taken instead)\r\n"
    "  /changed          the files hold only the rows that changed\r\n"
    "  /filter \"WORDS\"   the files hold only the rows whose URL, local file or\r\n"
    "                    header holds every word, ignoring case; a word that\r\n"
    "                    starts with - must not be there (the backup file\r\n"
    "                    always holds every entry); /changed and /filter also\r\n"
    "                    choose the entries /extract saves\r\n"
    "  /history ...      instead of reading the cache, compare the backup files\r\n"
    "                    named (or every *.cbf in a folder), each with the one\r\n"
    "                    saved before it, and write one row per change with the\r\n"
    "                    time the newer file was saved\r\n"
    "  /?                show this text\r\n"
    "\r\n"
    "Exit codes: 0 done, 1 wrong usage, 2 a file or the cache could not be read,\r\n"
    "or a file not written.\r\n";

// What a run writes from its listing, in the order it writes them.
enum ListingFormat { FORMAT_REPORT, FORMAT_CSV, FORMAT_JSON_LINES, FORMAT_BODY_FILE, LISTING_FORMATS };

struct CommandLineRequest {
    const char* since;
    const char* filter;
    const char* listings[LISTING_FORMATS];  // the report, CSV, JSON Lines and body file
    const char* backup;
    const char* extract;    // the folder for the cached files
    char** history;     // the names after /history, or null
    int historyCount;
    BOOL cookies;
    BOOL strays;
    BOOL changed;
    BOOL help;
};

// What one run works with: the stored settings as this run changes them, and the
// listing the files are made of, with the scan merged into it.
struct ScriptRun {
    AppSettings settings;
    SystemFunctions system;
    Listing main;
    Listing scan;
};

static BOOL IsStandardOutput(const char* path)
{
    return strcmp(path, "-") == 0;
}

// A history reads archives, not the cache, and writes its rows into the CSV,
// JSON Lines and body file alone; false with the problem in `problem`.
static BOOL CheckHistory(const CommandLineRequest* request, char* problem)
{
    const char* const* listings = request->listings;
    if (request->since || request->backup || listings[FORMAT_REPORT] || request->cookies || request->strays ||
        request->filter) {
        lstrcpyA(problem, "/history takes no /since, /report, /backup, /filter, /cookies or /strays.");
        return FALSE;
    }
    if (request->extract) {
        lstrcpyA(problem, "/history takes no /extract.");
        return FALSE;
    }
    int toOutput = 0;
    for (int format = FORMAT_CSV; format < LISTING_FORMATS; format++)
        toOutput += listings[format] && IsStandardOutput(listings[format]) ? 1 : 0;
    if (!listings[FORMAT_CSV] && !listings[FORMAT_JSON_LINES] && !listings[FORMAT_BODY_FILE]) {
        lstrcpyA(problem, "Nothing to write: give /csv, /jsonl or /bodyfile.");
        return FALSE;
    }
    if (toOutput > 1) {
        lstrcpyA(problem, "/history writes its files together: only one of them can be -.");
        return FALSE;
    }
    return TRUE;
}

// Fills the request from the arguments; false with the problem in `problem`.
static BOOL ParseArguments(int count, char** arguments, CommandLineRequest* request, char* problem)
{
    const char** listings = request->listings;
    const struct { const char* name; const char** file; BOOL* flag; } switches[] = {
        {"/since", &request->since, NULL},   {"/filter", &request->filter, NULL},
        {"/report", &listings[FORMAT_REPORT], NULL},
        {"/csv", &listings[FORMAT_CSV], NULL}, {"/jsonl", &listings[FORMAT_JSON_LINES], NULL},
        {"/bodyfile", &listings[FORMAT_BODY_FILE], NULL}, {"/backup", &request->backup, NULL},
        {"/extract", &request->extract, NULL},
        {"/cookies", NULL, &request->cookies}, {"/strays", NULL, &request->strays},
        {"/changed", NULL, &request->changed}, {"/?", NULL, &request->help},
        {"/history", NULL, NULL},
    };
    const int switchCount = (int)(sizeof switches / sizeof switches[0]);
    auto find = [&](const char* argument) {
        int s = 0;
        while (s < switchCount && lstrcmpiA(argument, switches[s].name) != 0)
            s++;
        return s;
    };
    ZeroMemory(request, sizeof *request);
    for (int i = 0; i < count; i++) {
        int s = find(arguments[i]);
        if (s == switchCount) {
            wsprintfA(problem, "Unknown switch: %.200s", arguments[i]);
            return FALSE;
        }
        if (switches[s].flag) {
            *switches[s].flag = TRUE;
            continue;
        }
        // The history's names run up to the next switch.
        if (!switches[s].file) {
            request->history = arguments + i + 1;
            while (i + 1 < count && find(arguments[i + 1]) == switchCount && arguments[i + 1][0] != '\0')
                request->historyCount++, i++;
            if (request->historyCount == 0) {
                lstrcpyA(problem, "/history needs a file or folder name.");
                return FALSE;
            }
            continue;
        }
        // What follows a switch that takes a file is its file, whatever it starts
        // with: "/tmp/report.txt" is a path under Wine.
        if (i + 1 == count || arguments[i + 1][0] == '\0') {
            wsprintfA(problem, "%s needs a %s.", switches[s].name,
                      switches[s].file == &request->filter    ? "text"
                      : switches[s].file == &request->extract ? "folder name"
                                                              : "file name");
            return FALSE;
        }
        *switches[s].file = arguments[++i];
    }
    if (request->help)
        return TRUE;
    // A word left out would let through rows it was meant to keep out.
    if (request->filter && lstrlenA(request->filter) >= FILTER_TEXT_BYTES) {
        wsprintfA(problem, "/filter takes at most %d characters.", FILTER_TEXT_BYTES - 1);
        return FALSE;
    }
    if (request->history)
        return CheckHistory(request, problem);
    if (!listings[FORMAT_REPORT] && !listings[FORMAT_CSV] && !listings[FORMAT_JSON_LINES] &&
        !listings[FORMAT_BODY_FILE] && !request->backup && !request->extract) {
        lstrcpyA(problem, "Nothing to write: give /report, /csv, /jsonl, /bodyfile or /backup.");
        return FALSE;
    }
    if (request->backup && IsStandardOutput(request->backup)) {
        lstrcpyA(problem, "/backup needs a file name: a backup file cannot go to standard output.");
        return FALSE;
    }
    return TRUE;
}

// The scan listing filled from the cache, with its indexes and, when included,
// its strays; false (after saying why) when the cache could not be read whole.
static BOOL ScanInto(const ScriptRun* run, Listing* listing, HANDLE errors)
{
    const AppSettings* settings = &run->settings;
    if (ScanCache(listing, settings->includeCookies, run->system.freeSpaceQuery) != 0)
        return PrintFailure(errors, "Couldn't read the cache", NULL, listing->error);
    IndexScan(listing, settings->includeStrays);
    return TRUE;
}

// The backup file as the main listing, with the cache merged into it as "Compare
// with Backup File..." does; false (after saying why) on failure.
static BOOL CompareWithFile(ScriptRun* run, const char* path, HANDLE errors)
{
    AppSettings* settings = &run->settings;
    Listing* main = &run->main;
    DWORD error = LoadBackupFile(path, main);
    if (error)
        return PrintFailure(errors, "Couldn't read the cache backup file", path, error);
    // A file with cookies switches cookies on, as a load in the window does.
    if (main->flags & LISTING_HAS_COOKIE)
        settings->includeCookies = 1;
    BuildIndex(&main->byLocalFile, main);
    BuildIndex(&main->byUrl, main);
    if (!ScanInto(run, &run->scan, errors))
        return FALSE;
    // The file holds no strays: strays of this run are new to it, and shown
    // without a status as when the option has just been switched on.
    error = MergeEntries(main, &run->scan, settings->includeStrays, FALSE, TRUE);
    FreeListing(&run->scan);
    if (error)
        return PrintFailure(errors, "Couldn't compare the cache with", path, error);
    for (LONG row = 0; row < main->count; row++) {
        CacheEntry* entry = EntryAt(main, row);
        if (entry->status == STATUS_ADDED_HIDDEN)
            entry->status = STATUS_UNCHANGED;
    }
    return TRUE;
}

// The listing the files are made of, sorted as the window would show it: a fresh
// scan, or the comparison with the /since file.
static BOOL FillListing(ScriptRun* run, const CommandLineRequest* request, HANDLE errors)
{
    AppSettings* settings = &run->settings;
    if (request->cookies)
        settings->includeCookies = 1;
    // A backup file holds no strays: comparing with one leaves them out unless asked.
    settings->includeStrays = request->strays || (!request->since && settings->includeStrays);
    if (request->since ? !CompareWithFile(run, request->since, errors) : !ScanInto(run, &run->main, errors))
        return FALSE;
    SortListing(&run->main, settings->sortColumn, settings->sortDirection);
    return TRUE;
}

// The listing in one format, to a file or to `output`: 0 or the failure.
static DWORD WriteListing(const Listing* listing, const char* path, ListingFormat format, const RowFilter* shown,
                          HANDLE output)
{
    static DWORD (*const writers[LISTING_FORMATS])(SafeFile*, const Listing*, const RowFilter*) = {
        WriteListingText, WriteListingCsv, WriteListingJsonLines, WriteListingBodyFile};
    SafeFile file;
    if (IsStandardOutput(path))
        OpenDirectOutput(&file, output, format == FORMAT_REPORT ? CP_ACP : CP_UTF8);
    else if (OpenSafeFile(&file, path) != 0)
        return file.error;
    writers[format](&file, listing, shown);
    return CommitSafeFile(&file);
}

// Writes each file asked for, in order, going on after a failure; gives whether
// all were written.
static BOOL WriteOutputs(const ScriptRun* run, const CommandLineRequest* request, HANDLE output, HANDLE errors)
{
    BOOL written = TRUE;
    RowFilter shown = {};
    shown.changedOnly = request->changed;
    SetFilterText(&shown, request->filter ? request->filter : "");
    for (int format = 0; format < LISTING_FORMATS; format++) {
        const char* path = request->listings[format];
        DWORD error = path ? WriteListing(&run->main, path, (ListingFormat)format, &shown, output) : 0;
        if (error)
            written = PrintFailure(errors, "Couldn't write", IsStandardOutput(path) ? NULL : path, error);
    }
    if (request->backup) {
        BackupSaveOutcome outcome;
        DWORD error = SaveBackupFile(request->backup, &run->main, NULL, &outcome);
        if (error)
            written = PrintFailure(errors, "Couldn't write", request->backup, error);
        else if (outcome.incomplete)
            PrintIncomplete(errors, request->backup, outcome.saved, outcome.incomplete);
    }
    if (request->extract) {
        SiteTreeOutcome files;
        DWORD error = SaveSiteTree(request->extract, &run->main, &shown, NULL, &files);
        if (error)
            written = PrintFailure(errors, "Couldn't save the cached files in", request->extract, error);
        else
            written = PrintSiteTree(errors, request->extract, &files) && written;
    }
    return written;
}

int RunCommandLine(int count, char** arguments, HANDLE output, HANDLE errors)
{
    CommandLineRequest request;
    char problem[300];
    if (!ParseArguments(count, arguments, &request, problem)) {
        Print(errors, problem);
        Print(errors, "\r\n\r\n");
        Print(errors, USAGE);
        return EXIT_USAGE;
    }
    if (request.help) {
        Print(output, USAGE);
        return EXIT_DONE;
    }
    if (request.history) {
        HistoryRequest history = {request.history, request.historyCount, request.listings[FORMAT_CSV],
                                  request.listings[FORMAT_JSON_LINES], request.listings[FORMAT_BODY_FILE]};
        return WriteHistory(&history, output, errors) ? EXIT_DONE : EXIT_FILE_FAILED;
    }
    static ScriptRun run;
    ZeroMemory(&run, sizeof run);
    SetDefaultSettings(&run.settings);
    LoadSettings(&run.settings);
    LookUpSystemFunctions(&run.system);
    BOOL done = FillListing(&run, &request, errors) && WriteOutputs(&run, &request, output, errors);
    FreeListing(&run.scan);
    FreeListing(&run.main);
    ReleaseSystemFunctions(&run.system);
    return done ? EXIT_DONE : EXIT_FILE_FAILED;
}
