// Saving cached files as a tree of their sites: the names made of hostile URLs, /extract over the real cache, and
// the window's command over the rows shown.
#include <shlobj.h>
#include <fstream>
#include <set>
#include <sstream>
#include "run_program.h"
#include "site_names.h"
#include "window_fixture.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
bool WriteAll(const std::string& path, const std::string& bytes)
{
    return std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size()).good();
}

// Every file under the folder by its path, with its bytes; with `remove`, deleted, folders too.
void Walk(const std::string& folder, std::map<std::string, std::string>* files, bool remove = false)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
        std::string path = folder + "\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
                Walk(path, files, remove), remove && RemoveDirectoryA(path.c_str());
        } else if (remove) {
            DeleteFileA(path.c_str());
        } else {
            (*files)[path] = ReadAll(path);
        }
    }
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

// A fresh folder in the prefix's temporary folder.
std::string FreshFolder(const char* name)
{
    char temp[MAX_PATH];
    std::string folder = std::string(temp, GetTempPathA(MAX_PATH, temp)) + name;
    Walk(folder, nullptr, true);
    RemoveDirectoryA(folder.c_str());
    return folder;
}

std::string folderAnswer;
int folderRequests = 0;
BOOL AnswerFolder(HWND, const char*, char* path)
{
    folderRequests++;
    lstrcpyA(path, folderAnswer.c_str());
    return TRUE;
}

}  // namespace

// Hostile and awkward URLs give the paths a person expects, each part a legal name, inside the folder and short
// enough for it with room for a number, however long the folder.
TEST(SiteNames, HostileUrlsMakeLegalPathsInsideTheFolder)
{
    const std::string index = "C:\\cache\\X1\\index[1].html";
    const struct { std::string url, expected, localFile = ""; } cases[] = {
        {"http://user:pw@WWW.Example.COM:8080/a/b/page.htm#top", "www.example.com\\a\\b\\page.htm"},
        {"http://h/../../etc/x.htm", "h\\etc\\x.htm"},
        {"http://h/%2e%2e/%2E%2e/.%2e/x.htm", "h\\x.htm"},
        {"http:\\\\h\\a\\..\\..\\b.htm", "h\\a\\b.htm"},
        {"http://h/C:/Windows/a%3a%5cb.exe", "h\\C_\\Windows\\a__b.exe"},
        {"C:\\Windows\\win.ini", "_other\\Windows\\win.ini"},
        {"http://con/aux/CON", "_con\\_aux\\_CON"},
        {"http://h/nul.txt", "h\\_nul.txt"},
        {"http://h/Lpt9 .tar.gz", "h\\_Lpt9 .tar.gz"},
        {"http://h/dir. /name. .", "h\\dir\\name"},
        {"http://h/find.php?q=a b&x=1", "h\\find_q=a_b&x=1.php"},
        {"http://h/find.php?q=" + std::string(40, 'v'), "h\\find_q=vvvvvv~d522d093.php"},
        {"http://h/dir/", "h\\dir\\index.html", index},
        {"http://h/a%20b.htm", "h\\a b.htm"},
        {"http://h/" + std::string(300, 'n') + ".htm", "h\\" + std::string(216, 'n') + "~7a5610ff.htm"},
    };
    for (const auto& c : cases) {
        for (int base : {20, 3, 200}) {
            char made[MAX_PATH];
            int length = MakeSiteName(c.url.c_str(), c.localFile.c_str(), base, made);
            ASSERT_EQ(length, (int)strlen(made)) << c.url;
            if (base == 20) {
                EXPECT_EQ(made, c.expected);
            }
            std::string path = made;
            EXPECT_LE(base + path.size() + SITE_NUMBER_ROOM, MAX_PATH - 1u) << path;
            EXPECT_LE(base + path.rfind('\\'), MAX_PATH - 13u) << path;    // the folders, as CreateDirectoryA takes them
            std::istringstream parts(path);
            for (std::string part; std::getline(parts, part, '\\');) {
                std::string device = part.substr(0, part.find('.'));
                device = device.substr(0, device.find_last_not_of(' ') + 1);
                CharUpperA(&device[0]);
                EXPECT_TRUE(!part.empty() && part.size() <= 255 && part.find_first_of("<>:\"/|?*") == std::string::npos &&
                            part.back() != '.' && part.back() != ' ')
                    << path;
                bool numbered = device.size() == 4 && isdigit(device[3]) && (!device.find("COM") || !device.find("LPT"));
                EXPECT_FALSE(numbered || std::set<std::string>({"CON", "PRN", "AUX", "NUL"}).count(device)) << path;
            }
        }
    }
    char made[MAX_PATH];
    EXPECT_EQ(MakeSiteName("http://h/x.htm", NULL, 240, made), 0);    // a folder that leaves no room
}

// /extract over a cache seeded with hostile URLs: every file lands under the folder with the bytes of its cached
// file, nothing outside the folder is made or changed, and nothing there is replaced.
TEST_F(MainWindowTest, ExtractKeepsEveryFileInsideTheFolderAndReplacesNothing)
{
    const std::string h = "http://www.nasty.example/", outer = FreshFolder("bw site tree");
    const std::string folder = outer + "\\a\\b\\out", mine = folder + "\\www.nasty.example\\keep.htm";
    std::set<std::string> contents;
    for (const std::string& url : {h + "../../../escape1.htm", h + "%2e%2e/%2e%2e/%2e%2e/escape2.htm",
                                   h + "..\\..\\..\\escape3.htm", h + "C:/escape4.htm", std::string("C:\\escape5.htm"),
                                   h + "CON", h + "nul.txt", h + std::string(300, 'n') + ".htm", h + "trailing.",
                                   h + "find.php?q=1", h + "find.php?q=2", h + "a%20b.htm", h + "a b.htm",
                                   std::string("http://WWW.Nasty.Example/keep.htm"), h + "dir/", h + "f", h + "f/g.htm"}) {
        contents.insert("bytes of " + url);
        EXPECT_NE(SeedCacheEntry(SeedEntry(url, "bytes of " + url)), "") << url;
    }
    ASSERT_TRUE(DeleteFileA(SeedCacheEntry(SeedEntry(h + "gone.htm")).c_str()));
    HANDLE locked = CreateFileA(SeedCacheEntry(SeedEntry(h + "locked.htm")).c_str(), GENERIC_READ, 0, NULL,
                                OPEN_EXISTING, 0, NULL);    // a file that cannot be read fails, and the rest go on
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SHCreateDirectoryExA(NULL, (folder + "\\www.nasty.example").c_str(), NULL) == ERROR_SUCCESS);
    ASSERT_TRUE(WriteAll(mine, "mine") && WriteAll(outer + "\\sentinel.txt", "sentinel"));
    std::string errors;
    EXPECT_EQ(RunProgram("/extract \"" + folder + "\"", nullptr, &errors), 2);
    CloseHandle(locked);
    EXPECT_EQ(errors, "Cached files saved in \"" + folder + "\": " + std::to_string(contents.size()) +
                          " saved, 1 skipped (no local file, or the file is gone), 1 failed.\r\nThe first failure, \"" +
                          h + "locked.htm\": " + SystemText(ERROR_SHARING_VIOLATION) + "\r\n");
    std::map<std::string, std::string> files;
    Walk(outer, &files);
    EXPECT_EQ(files[outer + "\\sentinel.txt"], "sentinel");
    EXPECT_EQ(files[mine], "mine");
    files.erase(outer + "\\sentinel.txt"), files.erase(mine);
    std::set<std::string> saved;
    for (const auto& file : files) {
        EXPECT_TRUE(!file.first.find(folder + "\\www.nasty.example\\") || !file.first.find(folder + "\\_other\\"))
            << file.first;      // one host folder, whatever the case; "C:\\escape5.htm" has no host
        saved.insert(file.second);
    }
    EXPECT_EQ(saved, contents);
    EXPECT_EQ(files.size(), contents.size());
    EXPECT_EQ(GetFileAttributesA("C:\\escape5.htm"), INVALID_FILE_ATTRIBUTES);
}

// The window saves the rows shown, refuses to start it twice and says what it did.
TEST_F(MainWindowTest, TheWindowSavesTheRowsShown)
{
    ASSERT_NE(Seed("old.htm"), "");
    ASSERT_TRUE(Open());
    ASSERT_NE(Seed("new.htm"), "");
    Command(IDM_SCAN_CACHE);
    Command(IDM_SHOW_CHANGES_ONLY);
    folderAnswer = FreshFolder("bw window tree"), folderRequests = 0;
    g_app.browseForFolder = AnswerFolder;
    SendMessageA(window, WM_COMMAND, IDM_SAVE_FILES_TO_FOLDER, 0);
    HMENU action = GetSubMenu(GetMenu(window), 0);
    SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)action, 0);
    EXPECT_TRUE(GetMenuState(action, IDM_SAVE_FILES_TO_FOLDER, MF_BYCOMMAND) & MF_GRAYED);
    Command(IDM_SAVE_FILES_TO_FOLDER);
    EXPECT_EQ(folderRequests, 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Save Cached Files To Folder");
    EXPECT_EQ(shown[0].text, "Cached files saved in \"" + folderAnswer +
                                 "\": 1 saved, 0 skipped (no local file, or the file is gone), 0 failed.");
    std::map<std::string, std::string> files;
    Walk(folderAnswer, &files);
    EXPECT_EQ(files, (std::map<std::string, std::string>{{folderAnswer + "\\www.example.com\\new.htm", "x"}}));
}
