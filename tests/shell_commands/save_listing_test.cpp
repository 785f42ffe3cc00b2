#include <gtest/gtest.h>
#include <string>
#include <windows.h>
#include <dlgs.h>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "command_fixture.h"
#include "resource.h"

TEST_F(CommandWindowTest, SaveListingWritesTheRowsOnScreenOrSaysWhyItCannot)
{
    ASSERT_TRUE(OpenWindow());
    BackupRecordSpec page;
    page.url = "http://www.example.com/a.htm";
    page.hitRate = 3;
    page.content = std::string(20480, 'x');
    page.access = MakeFileTime(2005, 3, 7, 9, 5, 7);
    page.exemptDelta = 94608000;
    BackupRecordSpec cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = COOKIE_ENTRY;
    cookie.content = "x";
    cookie.access = MakeFileTime(2005, 3, 6);
    BackupFileSpec spec;
    spec.records = {cookie, page};
    TempFile backup("brindlewick report.cbf");
    ASSERT_TRUE(backup.Write(BackupFileBytes(spec)));
    answer = backup.path;
    Command(IDM_LOAD_NEW_LISTING);

    TempFile report("brindlewick report.txt");
    answer = report.path;
    Command(IDM_SAVE_LISTING);
    ASSERT_EQ(saveRequests.size(), 1u);
    const OPENFILENAMEA& asked = saveRequests[0].record;
    EXPECT_EQ(asked.lStructSize, 76u);
    EXPECT_EQ(asked.hwndOwner, window);
    EXPECT_EQ(saveRequests[0].filter, std::string("Text Files\0*.txt\0All Files\0*.*\0", 32));
    EXPECT_EQ(saveRequests[0].startName, ".txt");
    EXPECT_EQ(asked.nMaxFile, 512u);
    EXPECT_EQ(asked.Flags, (DWORD)(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(asked.lpstrDefExt, nullptr);
    // Newest access first, as on screen.
    EXPECT_EQ(report.Read(),
              "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n" + std::string(77, '-') + "\r\n" +
                  "    1" + " " + "      " + " " + "    1" + " " + "  3" + " " + " 20480" + " " +
                  "2005/03/07 9:05.07 " + " " + "  3dy" + " " + "http://www.example.com/a.htm\r\n" +
                  "    0" + " " + "      " + " " + "100001" + " " + "  0" + " " + "     1" + " " +
                  "2005/03/06 0:00.00 " + " " + "  0dy" + " " + "Cookie:user@example.com/\r\n");
    EXPECT_TRUE(shown.empty());

    answer = "C:\\no such folder\\report.txt";
    Command(IDM_SAVE_LISTING);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text,
              "Couldn't save the listing as \"C:\\no such folder\\report.txt\".\n\n" + SystemText(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(shown[0].caption, "Error");

    answer = "";
    Command(IDM_SAVE_LISTING);
    EXPECT_EQ(saveRequests.size(), 3u);
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(CommandWindowTest, TheSystemSaveDialogAsksBeforeReplacingAndAddsNoExtension)
{
    ASSERT_TRUE(OpenWindow());
    g_app.saveFileDialog = GetSaveFileNameA;
    TempFile existing("brindlewick existing.txt");
    ASSERT_TRUE(existing.Write("old"));
    TempFile plain("brindlewick plain");
    // Types the name into the dialog's file name box and presses Save.
    auto typeName = [](const std::string& name) {
        return [name](HWND dialog) {
            SetDlgItemTextA(dialog, cmb13, name.c_str());
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
    };
    const std::string header = "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n" +
                               std::string(77, '-') + "\r\n";

    // The existing file is kept when the user says no, replaced when yes.
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        shown.clear();
        actions.push_back(typeName(existing.path));
        actions.push_back([answer](HWND box) {
            PostMessageA(box, WM_COMMAND, answer, 0);
            if (answer == IDNO)
                PostMessageA(GetWindow(box, GW_OWNER), WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_SAVE_LISTING);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].caption, "Save As");
        EXPECT_EQ(existing.Read(), answer == IDYES ? header : "old");
    }

    // A name typed without an extension is used as typed.
    shown.clear();
    actions.push_back(typeName(plain.path));
    Command(IDM_SAVE_LISTING);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(plain.Read(), header);
}
