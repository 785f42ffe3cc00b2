// Stored settings that would open an unusable window, or reach past a table or a field, give way.
#include "settings.h"
#include "window_fixture.h"

// A place is taken only when at least 200 x 100 with 20 of its top 30 rows on the screen across 100 pixels;
// a width above 4,096 pixels, like a negative one, becomes the column's default (Entry # 52, URL 300). A sort
// column beyond the table becomes Last Access (a negative one stays: no order), any flag not 0 is 1, and "Open
// Command", stored without its NUL, ends with one within its 512 bytes; a longer one is not taken.
TEST(StoredSettings, OnlyAUsablePlaceAndValuesWithinTheirRangeAreTaken)
{
    const struct { RECT rect; bool placed; } places[] = {   // the test display is 1280 x 1024; the last minimized
        {{100, 50, 900, 650}, true}, {{-8, -8, 1288, 1032}, true}, {{1279, 1023, 2279, 1723}, false},
        {{100, -590, 900, 10}, false}, {{1180, 500, 2180, 900}, true}, {{1181, 500, 2181, 900}, false},
        {{100, -10, 900, 600}, true}, {{100, -11, 900, 600}, false}, {{100, 50, 299, 650}, false},
        {{100, 50, 900, 149}, false}, {{-32000, -32000, -31840, -31973}, false}};
    const struct { LONG stored[2], taken[2]; } widths[] = {
        {{0x7FFFFFFF, 4096}, {52, 4096}}, {{4097, 88}, {52, 88}}, {{-1, 0}, {52, 0}}};
    const struct { DWORD stored; LONG column; DWORD flag; std::string command, taken; } numbers[] = {
        {14, 5, 1, "xyz", "xyz"}, {0xFFFFFFFF, -1, 1, std::string(512, 'a'), std::string(511, 'a')},
        {13, 13, 1, std::string(600, 'b'), ""}, {0, 0, 0, "", ""}};
    const AppSettings& s = g_app.settings;
    for (int i = 0; i < 11; i++) {
        SCOPED_TRACE(i);
        const RECT& r = places[i].rect;
        const auto& w = widths[i % 3];
        const auto& n = numbers[i % 4];
        ClearSettingsKey();
        for (const char* name : {"Include Strays", "Include Cookies", "Sort Column", "Sort Direction"})
            PutDwordSetting(name, n.stored);
        PutSetting("Window Metrics", REG_BINARY, &r, sizeof(r));
        PutSetting("Column Widths", REG_BINARY, w.stored, sizeof(w.stored));
        PutSetting("Open Command", REG_BINARY, n.command.data(), (DWORD)n.command.size());
        SetDefaultSettings(&g_app.settings);
        LoadSettings(&g_app.settings);
        std::vector<LONG> place = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        EXPECT_EQ(std::vector<LONG>({s.window.x, s.window.y, s.window.width, s.window.height}),
                  places[i].placed ? place : std::vector<LONG>(4, (LONG)CW_USEDEFAULT));
        EXPECT_EQ(std::vector<LONG>(s.columnWidths, s.columnWidths + 2), std::vector<LONG>(w.taken, w.taken + 2));
        EXPECT_EQ(std::vector<DWORD>({(DWORD)s.sortColumn, s.sortDirection, s.includeStrays, s.includeCookies}),
                  std::vector<DWORD>({(DWORD)n.column, n.flag, n.flag, n.flag}));
        EXPECT_EQ(std::string(s.openCommand, OPEN_COMMAND_BYTES),
                  n.taken + std::string(OPEN_COMMAND_BYTES - n.taken.size(), '\0'));
    }
    // Without a value read before them (here "Sort Direction"), neither the place nor the widths are taken.
    PutSetting("Sort Direction", REG_BINARY, "", 0);
    PutSetting("Window Metrics", REG_BINARY, &places[0].rect, sizeof(RECT));
    SetDefaultSettings(&g_app.settings);
    LoadSettings(&g_app.settings);
    EXPECT_EQ(std::make_pair(s.window.x, s.columnWidths[1]), std::make_pair((LONG)CW_USEDEFAULT, 300L));
    ClearSettingsKey();
}
