#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app_state.h"
#include "cache_seed.h"
#include "command_fixture.h"
#include "resource.h"
#include "settings_key.h"
#include "startup.h"

namespace {

const std::string Site = "http://www.example.com/";
const std::string Viewer = "C:\\tools\\viewer.exe";

// An action for the Set Open Command dialog: checks what it shows, replaces the
// text as the user would and presses `button`.
std::function<void(HWND)> EditOpenCommand(std::string* before, LRESULT* limit, const std::string& typed,
                                          bool clear, int button)
{
    return [=](HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_OPEN_COMMAND);
        char text[1024] = "";
        GetWindowTextA(edit, text, sizeof(text));
        *before = text;
        *limit = SendMessageA(edit, EM_GETLIMITTEXT, 0, 0);
        if (clear)
            SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)"");
        for (char c : typed)
            SendMessageA(edit, WM_CHAR, (WPARAM)(BYTE)c, 0);
        PostMessageA(dialog, WM_COMMAND, button, 0);
    };
}

}  // namespace

TEST_F(CommandWindowTest, RowsOpenThroughTheOpenCommandOrTheirHarmlessAssociation)
{
    PutDwordSetting("Include Strays", 1);
    std::string page = SeedUrl(Site + "page.htm", "htm");
    std::string program = SeedUrl(Site + "setup.exe", "exe");
    ASSERT_NE(page, "");
    ASSERT_NE(program, "");
    // Strays, so that the names are exactly these.
    std::string folder = CacheSubfolder();
    MadeFile longType(folder + "file.abcdefghijklmnopqrstuvwxyz12345", "x");
    MadeFile picture(folder + "my picture.gif", "x");
    ASSERT_TRUE(OpenWindow());
    ASSERT_EQ(RowCount(), 4);
    const std::string files[] = {page, program, longType.path, picture.path};
    auto activateAll = [&]() {
        shellCalls.clear();
        for (const std::string& file : files) {
            int row = 0;
            while (row < RowCount() && Cell(row, 3) != file)
                row++;
            ASSERT_LT(row, RowCount()) << file;
            DoubleClickRow(row);
        }
    };

    // By association: neither the program nor the over-long type opens.
    activateAll();
    ASSERT_EQ(shellCalls.size(), 2u);
    EXPECT_EQ(shellCalls[0].file, page);
    EXPECT_EQ(shellCalls[0].parameters, "(none)");
    EXPECT_EQ(shellCalls[0].show, SW_SHOW);
    EXPECT_EQ(shellCalls[1].file, picture.path);

    // The edit field takes 508 characters of the 600 typed.
    std::string before;
    LRESULT limit = 0;
    actions.push_back(EditOpenCommand(&before, &limit, std::string(600, 'a'), false, IDOK));
    Command(IDM_SET_OPEN_COMMAND);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Set Open Command");
    EXPECT_EQ(before, "");
    EXPECT_EQ(limit, 508);
    EXPECT_EQ(std::string(g_app.settings.openCommand), std::string(508, 'a'));

    // A shorter command replaces the longer one whole; Cancel keeps it.
    actions.push_back(EditOpenCommand(&before, &limit, Viewer, true, IDOK));
    Command(IDM_SET_OPEN_COMMAND);
    EXPECT_EQ(before, std::string(508, 'a'));
    EXPECT_STREQ(g_app.settings.openCommand, Viewer.c_str());
    actions.push_back(EditOpenCommand(&before, &limit, "other.exe", true, IDCANCEL));
    Command(IDM_SET_OPEN_COMMAND);
    EXPECT_EQ(before, Viewer);
    EXPECT_STREQ(g_app.settings.openCommand, Viewer.c_str());

    // The command opens every row, the path quoted when it holds a blank.
    activateAll();
    ASSERT_EQ(shellCalls.size(), 4u);
    for (size_t i = 0; i < 4; i++) {
        SCOPED_TRACE(files[i]);
        EXPECT_EQ(shellCalls[i].file, Viewer);
        EXPECT_EQ(shellCalls[i].parameters, i == 3 ? "\"" + files[i] + "\"" : files[i]);
        EXPECT_EQ(shellCalls[i].show, SW_SHOWDEFAULT);
    }

    Command(IDM_ABOUT);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3].caption, "About Brindlewick");

    // Quit writes the settings, the new command with them, once.
    PostMessageA(window, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_TRUE(IsWindow(window));
    std::vector<BYTE> stored;
    DWORD type = 0;
    ASSERT_TRUE(GetSetting("Open Command", &stored, &type));
    EXPECT_EQ(std::string(stored.begin(), stored.end()), Viewer + '\0');
    ClearSettingsKey();
    EXPECT_FALSE(PumpUntilIdle());
    EXPECT_FALSE(SettingsKeyExists());
    ShutDown();
}
