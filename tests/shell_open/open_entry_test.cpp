#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>
#include "app_state.h"
#include "commands.h"
#include "listing_builder.h"
#include "startup.h"

namespace {

struct ShellCall {
    std::string verb;
    std::string file;
    bool hasParameters;
    std::string parameters;
    bool hasDirectory;
    int show;
};

std::vector<ShellCall> calls;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                    INT show)
{
    calls.push_back({verb, file, parameters != NULL, parameters ? parameters : "", directory != NULL, show});
    return (HINSTANCE)33;
}

// A danger check that refuses web pages, so that the tests can tell it was asked.
HRESULT WINAPI RefusePages(LPCWSTR extension)
{
    return lstrcmpiW(extension, L".htm") == 0;
}

struct OpenEntryTest : ::testing::Test {
    void SetUp() override
    {
        SetStartupDefaults(GetModuleHandleA(NULL));
        g_app.shellExecute = RecordShellExecute;
        ASSERT_TRUE(InitListing(&g_app.mainListing));
        calls.clear();
    }
    void TearDown() override { FreeListing(&g_app.mainListing); }
};

const char* const Page = "C:\\cache\\AB12\\page[1].htm";

}  // namespace

TEST_F(OpenEntryTest, WithoutOpenCommandOnlyHarmlessTypesOpenByAssociation)
{
    const struct {
        const char* localFile;
        bool opens;
    } cases[] = {
        {Page, true},
        {"C:\\cache\\AB12\\photo[2].JPG", true},
        {"C:\\cache\\AB12\\setup[1].exe", false},
        {"C:\\cache\\AB12\\script[1].JS", false},
        {"C:\\cache\\AB12\\shortcut.Lnk", false},
        {"C:\\cache\\AB12\\run.ps1", false},
        {"C:\\cache\\AB12\\keys.reg", false},
        {"C:\\cache\\AB12\\tool.jar", false},
        {"C:\\cache\\AB12\\page.hta", false},
        {"C:\\cache\\AB12\\noextension", false},
        {"C:\\cache\\AB.12\\noextension", false},
        {"C:noextension", false},
        {"C:\\cache\\AB12\\hidden.exe.", false},
        {"C:\\cache\\AB12\\hidden.exe ", false},
        {"C:\\cache\\AB12\\long.abcdefghijklmnopqrstuvwxyz1234", true},     // 30 after the dot
        {"C:\\cache\\AB12\\long.abcdefghijklmnopqrstuvwxyz12345", false},   // 31 after the dot
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.localFile ? c.localFile : "(none)");
        FreeListing(&g_app.mainListing);
        InitListing(&g_app.mainListing);
        AddEntry(&g_app.mainListing, "http://www.example.com/", c.localFile);
        calls.clear();
        OpenEntry(NULL, 0);
        ASSERT_EQ(calls.size(), c.opens ? 1u : 0u);
        if (c.opens) {
            EXPECT_EQ(calls[0].verb, "open");
            EXPECT_EQ(calls[0].file, c.localFile);
            EXPECT_FALSE(calls[0].hasParameters);
            EXPECT_FALSE(calls[0].hasDirectory);
            EXPECT_EQ(calls[0].show, SW_SHOW);
        }
    }
}

TEST_F(OpenEntryTest, TheSystemDangerCheckIsAskedAsWell)
{
    AddEntry(&g_app.mainListing, "http://www.example.com/", Page);
    AddEntry(&g_app.mainListing, "http://www.example.com/", "C:\\cache\\AB12\\photo.gif");
    g_app.dangerCheck = RefusePages;
    OpenEntry(NULL, 0);
    EXPECT_TRUE(calls.empty());
    OpenEntry(NULL, 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, "C:\\cache\\AB12\\photo.gif");
}

TEST_F(OpenEntryTest, OpenCommandGetsThePathWhateverItsTypeQuotedWhenItHoldsABlank)
{
    lstrcpyA(g_app.settings.openCommand, "C:\\tools\\viewer.exe");
    g_app.dangerCheck = RefusePages;
    const struct {
        const char* localFile;
        const char* parameters;
    } cases[] = {
        {Page, Page},
        {"C:\\cache\\AB12\\setup[1].exe", "C:\\cache\\AB12\\setup[1].exe"},
        {"C:\\cache\\AB12\\noextension", "C:\\cache\\AB12\\noextension"},
        {"C:\\Documents and Settings\\cache\\a b.gif", "\"C:\\Documents and Settings\\cache\\a b.gif\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.localFile);
        FreeListing(&g_app.mainListing);
        InitListing(&g_app.mainListing);
        AddEntry(&g_app.mainListing, "http://www.example.com/", c.localFile);
        calls.clear();
        OpenEntry(NULL, 0);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].verb, "open");
        EXPECT_EQ(calls[0].file, "C:\\tools\\viewer.exe");
        EXPECT_EQ(calls[0].parameters, c.parameters);
        EXPECT_FALSE(calls[0].hasDirectory);
        EXPECT_EQ(calls[0].show, SW_SHOWDEFAULT);
    }
}

TEST_F(OpenEntryTest, RowsWithoutALocalFileOrEntryOpenNothing)
{
    AddEntry(&g_app.mainListing, "http://www.example.com/backup", nullptr);
    AddEntry(&g_app.mainListing, "http://www.example.com/empty", "");
    for (const char* command : {"", "C:\\tools\\viewer.exe"}) {
        SCOPED_TRACE(command);
        lstrcpyA(g_app.settings.openCommand, command);
        for (LONG row : {-1L, 0L, 1L, 2L, 1000L})
            OpenEntry(NULL, row);
        EXPECT_TRUE(calls.empty());
    }
}

TEST_F(OpenEntryTest, FindExtensionTakesTheTextFromTheLastDot)
{
    const struct {
        const char* path;
        const wchar_t* extension;   // null: none
    } cases[] = {
        {"C:\\a\\page.htm", L".htm"},
        {"C:\\a\\archive.tar.gz", L".gz"},
        {"C:\\a\\name.", L"."},
        {"C:\\a.b\\name", nullptr},
        {"C:name", nullptr},
        {"name", nullptr},
        {".hidden", L".hidden"},
        {"", nullptr},
        {"C:\\a\\caf\xE9.t\xE9xt", L".t\u00E9xt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        WCHAR buffer[32];
        WCHAR* found = FindExtension(c.path, buffer, 32);
        if (!c.extension) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_EQ(found, buffer);
        EXPECT_EQ(std::wstring(found), std::wstring(c.extension));
    }
    // A capacity counts the dot, the characters and the NUL.
    WCHAR small[5];
    EXPECT_NE(FindExtension("a.htm", small, 5), nullptr);
    EXPECT_EQ(FindExtension("a.html", small, 5), nullptr);
}
