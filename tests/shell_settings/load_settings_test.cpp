#include <gtest/gtest.h>
#include <string.h>
#include "app_state.h"
#include "column_table.h"
#include "settings.h"
#include "settings_key.h"

namespace {

// The defaults in memory and a key as an orderly end writes it: options on, column
// 3 ascending, the window at 100,50 800 x 600, widths 10 * i + 5, a viewer.
struct LoadSettingsTest : ::testing::Test {
    void SetUp() override { PutEveryValue(); }
    void TearDown() override { ClearSettingsKey(); }
    static void PutEveryValue()
    {
        const RECT rect = {100, 50, 900, 650};
        ClearSettingsKey();
        SetDefaultSettings(&g_app.settings);
        PutDwordSetting("Include Strays", 1);
        PutDwordSetting("Include Cookies", 1);
        PutDwordSetting("Sort Column", 3);
        PutDwordSetting("Sort Direction", 0);
        PutSetting("Window Metrics", REG_BINARY, &rect, sizeof(rect));
        LONG widths[COLUMN_WIDTH_SLOTS];
        for (int i = 0; i < COLUMN_WIDTH_SLOTS; i++)
            widths[i] = 10 * i + 5;
        PutSetting("Column Widths", REG_BINARY, widths, sizeof(widths));
        PutSetting("Open Command", REG_SZ, "C:\\viewer.exe", 14);
    }
    static std::vector<LONG> Place()
    {
        const WindowParams& w = g_app.settings.window;
        return {w.x, w.y, w.width, w.height};
    }
};

const std::vector<LONG> DefaultPlace(4, (LONG)CW_USEDEFAULT);

}  // namespace

// The place needs five values read at their exact size and a size of its own, the widths six; all read apply.
TEST_F(LoadSettingsTest, PlaceAndWidthsNeedEveryEarlierValueRead)
{
    const struct { const char* name; DWORD size; bool placed, widths; } cases[] = {   // size 0: value absent
        {"", 0, true, true}, {"Include Strays", 0, false, false}, {"Include Cookies", 0, false, false},
        {"Sort Column", 0, false, false}, {"Sort Direction", 0, false, false}, {"Window Metrics", 0, false, false},
        {"Include Strays", 2, false, false}, {"Sort Direction", 8, false, false}, {"Window Metrics", 12, false, false},
        {"Window Metrics", 20, false, false}, {"Window Metrics", 16, false, true}, {"Column Widths", 0, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(c.size) + " bytes");
        PutEveryValue();
        DeleteSetting(c.name);
        const BYTE ones[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        if (c.size)
            PutSetting(c.name, REG_BINARY, ones, c.size);
        LoadSettings();
        const AppSettings& s = g_app.settings;
        EXPECT_EQ(Place(), c.placed ? (std::vector<LONG>{100, 50, 800, 600}) : DefaultPlace);
        EXPECT_EQ(s.columnWidths[1], c.widths ? 15 : 300);
        EXPECT_EQ(std::vector<LONG>({(LONG)s.includeStrays, (LONG)s.straysAtLastMerge, s.sortColumn, (LONG)s.sortDirection}),
                  std::vector<LONG>({strcmp(c.name, "Include Strays") != 0, strcmp(c.name, "Include Strays") != 0,
                                     strcmp(c.name, "Sort Column") ? 3 : 5, strcmp(c.name, "Sort Direction") == 0}));
        EXPECT_STREQ(s.openCommand, "C:\\viewer.exe");
    }
}

// A sort column beyond the table falls back to Last Access, a negative one stays; any non-zero flag is 1.
TEST_F(LoadSettingsTest, StoredNumbersAreBroughtIntoRange)
{
    const struct { DWORD stored; LONG column; DWORD flag; } cases[] = {
        {0, 0, 0}, {2, 2, 1}, {13, 13, 1}, {14, 5, 1}, {1000, 5, 1}, {0xFFFFFFFF, -1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        for (const char* name : {"Sort Column", "Sort Direction", "Include Strays", "Include Cookies"})
            PutDwordSetting(name, c.stored);
        LoadSettings();
        const AppSettings& s = g_app.settings;
        EXPECT_EQ(s.sortColumn, c.column);
        EXPECT_EQ(std::vector<DWORD>({s.sortDirection, s.includeStrays, s.includeCookies, s.cookiesAtLastMerge}),
                  std::vector<DWORD>(4, c.flag));
    }
}

// A shorter "Column Widths" fills the whole widths it holds; a negative width gets the default.
TEST_F(LoadSettingsTest, ColumnWidthsFillWhatTheValueHolds)
{
    const struct { DWORD bytes; LONG first, second, expectFirst, expectSecond; } cases[] = {
        {8, 77, 88, 77, 88}, {6, 77, 88, 77, 300}, {8, -1, 88, 52, 88}, {8, 0, 88, 0, 88},
        {8, 0x7FFFFFFF, 4096, 52, 4096}, {8, 4097, 88, 52, 88}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " bytes from " + std::to_string(c.first));
        SetDefaultSettings(&g_app.settings);
        LONG widths[2] = {c.first, c.second};
        PutSetting("Column Widths", REG_BINARY, widths, c.bytes);
        LoadSettings();
        std::vector<LONG> expected = {c.expectFirst, c.expectSecond};
        for (int i = 2; i < COLUMN_COUNT; i++)
            expected.push_back(ColumnTable[i].defaultWidth);
        EXPECT_EQ(std::vector<LONG>(g_app.settings.columnWidths, g_app.settings.columnWidths + COLUMN_COUNT), expected);
    }
}

// A stored place is used only when at least 200 x 100 with 20 of its top 30 rows on the screen across 100 pixels.
TEST_F(LoadSettingsTest, StoredPlaceNeedsItsTitleBarOnTheScreen)
{
    const struct { RECT rect; bool placed; } cases[] = {   // the test display is 1280 x 1024
        {{100, 50, 900, 650}, true}, {{-8, -8, 1288, 1032}, true}, {{1279, 1023, 2279, 1723}, false},
        {{100, -590, 900, 10}, false}, {{1180, 500, 2180, 900}, true}, {{1181, 500, 2181, 900}, false},
        {{100, -10, 900, 600}, true}, {{100, -11, 900, 600}, false}, {{100, 50, 299, 650}, false},
        {{100, 50, 900, 149}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rect.left) + "," + std::to_string(c.rect.top));
        SetDefaultSettings(&g_app.settings);
        PutSetting("Window Metrics", REG_BINARY, &c.rect, sizeof(c.rect));
        LoadSettings();
        EXPECT_EQ(Place(), c.placed ? (std::vector<LONG>{c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                                                         c.rect.bottom - c.rect.top}) : DefaultPlace);
    }
}

// "Open Command" always ends with a NUL within its 512 bytes, with nothing after; unreadable leaves it empty.
TEST_F(LoadSettingsTest, OpenCommandAlwaysEndsWithinItsField)
{
    const struct { DWORD type; std::string data, expected; } cases[] = {   // data stored as is, no NUL added
        {REG_SZ, std::string("C:\\viewer.exe", 14), "C:\\viewer.exe"}, {REG_BINARY, "xyz", "xyz"},
        {REG_BINARY, std::string(512, 'a'), std::string(511, 'a')}, {REG_BINARY, std::string(600, 'b'), ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.size());
        SetDefaultSettings(&g_app.settings);
        PutSetting("Open Command", c.type, c.data.data(), (DWORD)c.data.size());
        LoadSettings();
        EXPECT_EQ(std::string(g_app.settings.openCommand, OPEN_COMMAND_BYTES),
                  c.expected + std::string(OPEN_COMMAND_BYTES - c.expected.size(), '\0'));
    }
}
