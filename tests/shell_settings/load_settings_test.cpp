#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <windows.h>
#include "app_state.h"
#include "column_table.h"
#include "settings.h"
#include "settings_key.h"

namespace {

struct LoadSettingsTest : ::testing::Test {
    AppSettings defaults;
    void SetUp() override
    {
        ClearSettingsKey();
        SetDefaultSettings(&defaults);
        SetDefaultSettings(&g_app.settings);
    }
    void TearDown() override { ClearSettingsKey(); }

    // Every value, as an orderly end would leave them.
    void PutAll(RECT rect)
    {
        PutDwordSetting("Include Strays", 1);
        PutDwordSetting("Include Cookies", 1);
        PutDwordSetting("Sort Column", 3);
        PutDwordSetting("Sort Direction", 0);
        PutSetting("Window Metrics", REG_BINARY, &rect, sizeof(rect));
        LONG widths[COLUMN_WIDTH_SLOTS];
        for (int i = 0; i < COLUMN_WIDTH_SLOTS; i++)
            widths[i] = 10 * i + 5;
        PutSetting("Column Widths", REG_BINARY, widths, sizeof(widths));
        PutSetting("Open Command", REG_SZ, "C:\\tools\\viewer.exe", 20);
    }
    bool DefaultPlacement()
    {
        const WindowParams& w = g_app.settings.window;
        return w.x == CW_USEDEFAULT && w.y == CW_USEDEFAULT && w.width == CW_USEDEFAULT &&
               w.height == CW_USEDEFAULT;
    }
    bool DefaultWidths()
    {
        for (int i = 0; i < COLUMN_COUNT; i++) {
            if (g_app.settings.columnWidths[i] != ColumnTable[i].defaultWidth)
                return false;
        }
        return true;
    }
};

const RECT OnScreen = {100, 50, 900, 650};

}  // namespace

TEST_F(LoadSettingsTest, WithoutKeyEverythingKeepsItsDefault)
{
    LoadSettings();
    EXPECT_EQ(memcmp(&g_app.settings, &defaults, sizeof(defaults)), 0);
    EXPECT_EQ(g_app.settings.sortColumn, 5);
    EXPECT_EQ(g_app.settings.sortDirection, 1u);
    EXPECT_TRUE(DefaultPlacement());
    EXPECT_TRUE(DefaultWidths());
}

TEST_F(LoadSettingsTest, FullKeyAppliesEveryValue)
{
    PutAll(OnScreen);
    LoadSettings();
    const AppSettings& s = g_app.settings;
    EXPECT_EQ(s.includeStrays, 1u);
    EXPECT_EQ(s.includeCookies, 1u);
    EXPECT_EQ(s.straysAtLastMerge, 1u);
    EXPECT_EQ(s.cookiesAtLastMerge, 1u);
    EXPECT_EQ(s.sortColumn, 3);
    EXPECT_EQ(s.sortDirection, 0u);
    EXPECT_EQ(s.window.x, 100);
    EXPECT_EQ(s.window.y, 50);
    EXPECT_EQ(s.window.width, 800);
    EXPECT_EQ(s.window.height, 600);
    for (int i = 0; i < COLUMN_WIDTH_SLOTS; i++)
        EXPECT_EQ(s.columnWidths[i], 10 * i + 5) << "column " << i;
    EXPECT_STREQ(s.openCommand, "C:\\tools\\viewer.exe");
}

// Each of the first five values, missing or of the wrong size, keeps the default
// placement and the default widths; the values that were read still apply.
TEST_F(LoadSettingsTest, PlacementAndWidthsNeedTheFirstFiveValues)
{
    const struct {
        const char* name;
        DWORD size;     // 0: value absent
    } cases[] = {
        {"Include Strays", 0}, {"Include Cookies", 0}, {"Sort Column", 0}, {"Sort Direction", 0},
        {"Window Metrics", 0}, {"Include Strays", 2},  {"Sort Direction", 8}, {"Window Metrics", 8},
        {"Window Metrics", 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(c.size) + " bytes");
        ClearSettingsKey();
        SetDefaultSettings(&g_app.settings);
        PutAll(OnScreen);
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_WRITE, &key), ERROR_SUCCESS);
        RegDeleteValueA(key, c.name);
        RegCloseKey(key);
        if (c.size) {
            BYTE stale[32];
            memset(stale, 1, sizeof(stale));
            PutSetting(c.name, REG_BINARY, stale, c.size);
        }
        LoadSettings();
        EXPECT_TRUE(DefaultPlacement());
        EXPECT_TRUE(DefaultWidths());
        EXPECT_STREQ(g_app.settings.openCommand, "C:\\tools\\viewer.exe");
        if (strcmp(c.name, "Sort Column") != 0) {
            EXPECT_EQ(g_app.settings.sortColumn, 3);
        }
        if (strcmp(c.name, "Include Cookies") != 0) {
            EXPECT_EQ(g_app.settings.includeCookies, 1u);
        }
    }
}

TEST_F(LoadSettingsTest, RectangleOffEveryWorkAreaOrWithoutSizeGivesDefaultPlacement)
{
    const struct {
        const char* name;
        RECT rect;
        bool applied;
    } cases[] = {
        {"closed while minimized", {-32000, -32000, -31840, -31972}, false},
        {"on a monitor since removed", {3000, 2000, 3800, 2600}, false},
        {"no width", {100, 100, 100, 500}, false},
        {"edges swapped", {900, 650, 100, 50}, false},
        {"width overflows", {-2000000000, 10, 2000000000, 500}, false},
        {"partly on screen", {-100, -100, 300, 300}, true},
        {"maximized frame", {-4, -4, 1284, 1028}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaultSettings(&g_app.settings);
        PutAll(c.rect);
        LoadSettings();
        if (c.applied) {
            EXPECT_EQ(g_app.settings.window.x, c.rect.left);
            EXPECT_EQ(g_app.settings.window.height, c.rect.bottom - c.rect.top);
        } else {
            EXPECT_TRUE(DefaultPlacement());
        }
        // The other values are not affected by the rejected rectangle.
        EXPECT_EQ(g_app.settings.columnWidths[1], 15);
    }
}

TEST_F(LoadSettingsTest, StoredNumbersOutsideTheirRangeAreBroughtIntoIt)
{
    const struct {
        DWORD stored;
        LONG column;        // sortColumn after loading "Sort Column" = stored
        DWORD flag;         // an option or the direction after loading it = stored
    } cases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 2, 1}, {13, 13, 1}, {14, 5, 1}, {1000, 5, 1},
        {0xFFFFFFFF, -1, 1}, {0x80000000, (LONG)0x80000000, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SetDefaultSettings(&g_app.settings);
        PutDwordSetting("Sort Column", c.stored);
        PutDwordSetting("Sort Direction", c.stored);
        PutDwordSetting("Include Strays", c.stored);
        PutDwordSetting("Include Cookies", c.stored);
        LoadSettings();
        EXPECT_EQ(g_app.settings.sortColumn, c.column);
        EXPECT_EQ(g_app.settings.sortDirection, c.flag);
        EXPECT_EQ(g_app.settings.includeStrays, c.flag);
        EXPECT_EQ(g_app.settings.includeCookies, c.flag);
        EXPECT_EQ(g_app.settings.straysAtLastMerge, c.flag);
    }
}

TEST_F(LoadSettingsTest, ColumnWidthsFillWhatTheValueHoldsAndRejectNegativeWidths)
{
    const struct {
        const char* name;
        DWORD bytes;
        LONG first;     // width of column 0 stored
        LONG second;    // width of column 1 stored
        LONG expectFirst;
        LONG expectSecond;
    } cases[] = {
        {"two widths", 8, 77, 88, 77, 88},
        {"one and a half widths", 6, 77, 88, 77, 300},
        {"negative width", 8, -1, 88, 52, 88},
        {"zero width stays", 8, 0, 88, 0, 88},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaultSettings(&g_app.settings);
        PutAll(OnScreen);
        LONG widths[2] = {c.first, c.second};
        PutSetting("Column Widths", REG_BINARY, widths, c.bytes);
        LoadSettings();
        EXPECT_EQ(g_app.settings.columnWidths[0], c.expectFirst);
        EXPECT_EQ(g_app.settings.columnWidths[1], c.expectSecond);
        for (int i = 2; i < COLUMN_COUNT; i++)
            EXPECT_EQ(g_app.settings.columnWidths[i], ColumnTable[i].defaultWidth) << "column " << i;
    }
}

TEST_F(LoadSettingsTest, OpenCommandAlwaysEndsWithinItsField)
{
    std::string full(512, 'a');
    std::string tooLong(600, 'b');
    const struct {
        const char* name;
        DWORD type;
        std::string data;       // stored as is, no NUL added
        std::string expected;
    } cases[] = {
        {"text with its NUL", REG_SZ, std::string("C:\\viewer.exe", 14), "C:\\viewer.exe"},
        {"binary without NUL", REG_BINARY, "xyz", "xyz"},
        {"512 bytes without NUL", REG_BINARY, full, std::string(511, 'a')},
        {"longer than the field", REG_BINARY, tooLong, ""},
        {"empty", REG_SZ, std::string("", 1), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaultSettings(&g_app.settings);
        PutSetting("Open Command", c.type, c.data.data(), (DWORD)c.data.size());
        LoadSettings();
        const char* command = g_app.settings.openCommand;
        ASSERT_NE(memchr(command, 0, OPEN_COMMAND_BYTES), nullptr);
        EXPECT_EQ(std::string(command), c.expected);
        // Nothing beyond the text is left over.
        for (size_t i = c.expected.size(); i < OPEN_COMMAND_BYTES; i++)
            ASSERT_EQ(command[i], 0) << "byte " << i;
    }
}
