// Typing in the filter bar: each key's re-filter and repaint, as the bar's timer
// applies the text, over a listing prepared in memory from the sample (the
// filter reads the listing only, so a cache adds nothing to it); then the key that
// clears the filter and brings every row back.
#include <windows.h>
#include <string>
#include <vector>
#include "app_state.h"
#include "bench.h"
#include "commands.h"
#include "filter_bar.h"
#include "resource.h"
#include "results.h"
#include "sample_listing.h"
#include "window_steps.h"

namespace {

// The first characters of the host of the sample's middle entry, typed one by one.
const size_t TYPED_CHARACTERS = 6;

std::string TypedWord(const Sample& sample)
{
    const std::string& url = sample.entries[sample.entries.size() / 2].url;
    size_t host = url.find("://");
    host = host == std::string::npos ? 0 : host + 3;
    return url.substr(host, TYPED_CHARACTERS);
}

// The box holds `text`; the rows follow it, then paint.
double TimeKey(HWND window, const std::string& text)
{
    SetDlgItemTextA(window, IDC_FILTER_TEXT, text.c_str());
    double start = NowMs();
    ApplyFilterText(window);
    Paint(window);
    return NowMs() - start;
}

void AddKeyRow(const std::string& operation, const Sample& sample, const std::vector<double>& keys)
{
    Stats stats = Summarize(keys, 1);
    ResultRow row = TimedRow(operation, sample.label, (int)sample.entries.size(), stats, "", Stats());
    Judge(&row, TARGET_FILTER_KEY, stats.min, Ms(stats.min) + " (median " + Ms(stats.median) + ")",
          stats.min < 100);
    AddRow(row);
}

}  // namespace

void BenchFilter(const Sample& sample)
{
    if (sample.entries.empty())
        return;
    std::string word = TypedWord(sample);
    std::vector<double> first, later, clearing;
    LONG shown = 0;
    for (int round = 0; round < BENCH_RUNS; round++) {
        Listing prepared = {};
        FillListing(&prepared, sample.entries);
        prepared.clusterSize = 4096;
        HWND window = OpenWithListing(&prepared);
        Paint(window);
        OnCommand(window, IDM_FILTER);
        for (size_t typed = 1; typed <= word.size(); typed++)
            (typed == 1 ? first : later).push_back(TimeKey(window, word.substr(0, typed)));
        shown = g_app.shownRows.count;
        clearing.push_back(TimeKey(window, ""));
        CloseMainWindow(&window);
    }
    AddKeyRow("Filter bar, the first key of \"" + word + "\": re-filter and repaint (every row to those with \"" +
                  word.substr(0, 1) + "\")", sample, first);
    AddKeyRow("Filter bar, each later key of \"" + word + "\" (at the end " + std::to_string(shown) + " rows shown)",
              sample, later);
    AddKeyRow("Filter bar, clearing the filter: every row back", sample, clearing);
}
