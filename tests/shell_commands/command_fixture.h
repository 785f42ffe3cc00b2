// The real main window driven through its commands, with the modal windows, the
// file dialogs and the shell call answered by the test instead of a person.
#ifndef BRINDLEWICK_TEST_COMMAND_FIXTURE_H
#define BRINDLEWICK_TEST_COMMAND_FIXTURE_H

#include <windows.h>
#include <commdlg.h>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "window_fixture.h"

// A modal window the command showed: a message box or a dialog.
struct ShownWindow {
    std::string caption;
    std::string text;       // a message box's text; empty for a dialog
};

// What a file dialog was asked, and a copy of the name it started with.
struct FileRequest {
    OPENFILENAMEA record;
    std::string filter;     // the pairs, NULs kept, up to the closing extra NUL
    std::string startName;
};

struct ShellCall {
    std::string file;
    std::string parameters; // "(none)" when null
    int show;
};

struct CommandWindowTest : MainWindowTest {
    HHOOK hook = NULL;

    void SetUp() override;
    void TearDown() override;

    // Start-up as the program does it, then the file dialogs and the shell call
    // replaced by the test's stand-ins.
    HWND OpenWindow();
    void Command(UINT id);

    // The Status cell of the row whose URL (or, for a stray, local file) is `key`;
    // "(no row)" when there is none.
    static std::string StatusOf(const std::string& key);
    // Row key -> Status, for every row.
    static std::map<std::string, std::string> Statuses();
    static bool Checked(HWND window, UINT id);
    // A double click on the row, as the user activates it.
    static void DoubleClickRow(int row);
    static int RowOf(const std::string& key);

    // Every modal window shown since the last clear.
    static std::vector<ShownWindow> shown;
    // Run, in order, for the next modal windows; a window with no action left is
    // answered with OK.
    static std::deque<std::function<void(HWND)>> actions;
    static std::vector<FileRequest> openRequests;
    static std::vector<FileRequest> saveRequests;
    // The name the next file dialog gives back; empty: the user cancels.
    static std::string answer;
    static std::vector<ShellCall> shellCalls;
};

// Seeds a one-byte cache entry; gives its local file, or "" when WinINet refused.
std::string SeedUrl(const std::string& url, const std::string& extension = "");

// The first directory of the cache in which WinINet stores files, with a trailing
// backslash, found through an entry made and deleted for the purpose.
std::string CacheSubfolder();
// Deletes every file that lies in the cache's subfolders without an entry.
void ClearCacheFolders();

// The system's sentence for a Win32 error code, without its line break.
std::string SystemText(DWORD code);

// A file made by the test, deleted at its end.
struct MadeFile {
    std::string path;
    MadeFile(const std::string& path, const std::string& content);
    ~MadeFile();
};

#endif
