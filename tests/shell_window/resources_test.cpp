#include <gtest/gtest.h>
#include <string>
#include <windows.h>
#include <commctrl.h>
#include "resource.h"

namespace {

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct ControlCase {
    int id;
    const char* className;
    RECT place;         // x, y, width, height in dialog units, as right = width, bottom = height
    const char* text;   // null: not checked
};

// Creates the dialog without showing it and checks every control's class, place and text.
void CheckDialog(int templateId, const char* caption, const ControlCase* controls, size_t count)
{
    // The manifest sends the standard controls to the common controls library,
    // which the main window loads; here nothing has loaded it yet.
    InitCommonControls();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(templateId), NULL, QuietDialog, 0);
    ASSERT_NE(dialog, nullptr);
    char text[512];
    GetWindowTextA(dialog, text, sizeof(text));
    EXPECT_STREQ(text, caption);
    int found = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found++;
    EXPECT_EQ(found, (int)count);
    HWND child = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < count && child; i++, child = GetWindow(child, GW_HWNDNEXT)) {
        const ControlCase& c = controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(GetDlgCtrlID(child), c.id == -1 ? 0xFFFF : c.id);
        GetClassNameA(child, text, sizeof(text));
        EXPECT_STREQ(text, c.className);
        RECT expected = {c.place.left, c.place.top, c.place.left + c.place.right, c.place.top + c.place.bottom};
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(NULL, dialog, (POINT*)&actual, 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        if (c.text) {
            GetWindowTextA(child, text, sizeof(text));
            EXPECT_STREQ(text, c.text);
        }
    }
    DestroyWindow(dialog);
}

// The version calls, taken from the system library at run time.
typedef DWORD(WINAPI* InfoSize)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* InfoGet)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* InfoQuery)(LPCVOID, LPCSTR, LPVOID*, PUINT);
HMODULE versionDll = LoadLibraryA("version.dll");
InfoQuery QueryValue = (InfoQuery)(void*)GetProcAddress(versionDll, "VerQueryValueA");

std::string VersionString(const BYTE* block, const char* name)
{
    char* value = NULL;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!QueryValue(block, path.c_str(), (void**)&value, &length) || !value)
        return "";
    return value;
}

}  // namespace

TEST(Resources, AboutBoxHasItsButtonFrameIconAndLines)
{
    const ControlCase controls[] = {
        {IDOK, "Button", {88, 81, 50, 14}, "OK"},
        {-1, "Button", {7, 3, 234, 75}, ""},
        {IDC_ABOUT_ICON, "Static", {14, 13, 20, 20}, nullptr},
        {-1, "Static", {44, 14, 190, 8}, "Brindlewick version 2.1.0.16"},
        {-1, "Static", {44, 28, 190, 18}, "A program for monitoring activity in the Internet Explorer cache"},
        {-1, "Static", {44, 50, 190, 8}, "Tallowmere"},
    };
    CheckDialog(IDD_ABOUT, "About Brindlewick", controls, sizeof(controls) / sizeof(controls[0]));
}

TEST(Resources, OpenCommandDialogHasItsFieldsAndTexts)
{
    const ControlCase controls[] = {
        {-1, "Button", {7, 3, 265, 79}, ""},
        {-1, "Static", {13, 11, 252, 34},
         "To use the default system-maintained association for a selected entry's filetype you wish to open, "
         "leave this setting blank. Otherwise, specify the name (or full path) of a program to force that "
         "program to open every type of entry in the cache."},
        {-1, "Static", {13, 51, 252, 21}, "You need not enclose the open command's pathname in quotes."},
        {-1, "Static", {7, 94, 54, 8}, "Open Command:"},
        {IDC_OPEN_COMMAND, "Edit", {66, 92, 206, 13}, ""},
        {IDOK, "Button", {7, 116, 50, 14}, "OK"},
        {IDCANCEL, "Button", {222, 116, 50, 14}, "Cancel"},
    };
    CheckDialog(IDD_OPEN_COMMAND, "Set Open Command", controls, sizeof(controls) / sizeof(controls[0]));
}

TEST(Resources, IconGroupHoldsFiveImages)
{
    HRSRC group = FindResourceA(NULL, MAKEINTRESOURCEA(IDI_BRINDLEWICK), (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const WORD* header = (const WORD*)LockResource(LoadResource(NULL, group));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header[2], 5);    // idCount
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        HICON icon = (HICON)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_BRINDLEWICK), IMAGE_ICON,
                                       size, size, 0);
        EXPECT_NE(icon, nullptr);
        DestroyIcon(icon);
    }
}

TEST(Resources, VersionDescribesTheProgram)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    DWORD handle = 0;
    InfoSize GetInfoSize = (InfoSize)(void*)GetProcAddress(versionDll, "GetFileVersionInfoSizeA");
    InfoGet GetInfo = (InfoGet)(void*)GetProcAddress(versionDll, "GetFileVersionInfoA");
    ASSERT_TRUE(GetInfoSize && GetInfo && QueryValue);
    DWORD size = GetInfoSize(path, &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetInfo(path, 0, size, &block[0]));
    const BYTE* data = (const BYTE*)block.data();
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(QueryValue(data, "\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000010u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000010u);
    EXPECT_EQ(VersionString(data, "FileDescription"), "A program for monitoring activity in the Internet Explorer cache");
    EXPECT_EQ(VersionString(data, "ProductName"), "Brindlewick");
    EXPECT_EQ(VersionString(data, "InternalName"), "Brindlewick");
    EXPECT_EQ(VersionString(data, "CompanyName"), "Tallowmere");
    EXPECT_EQ(VersionString(data, "FileVersion"), "2.1.0.16");
}
