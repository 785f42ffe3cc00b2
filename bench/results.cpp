#include "results.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <map>
#include <vector>

namespace {

struct TargetText {
    const char* what;
    const char* limit;
};

// The targets, as the summary names them.
const TargetText Targets[TARGET_COUNT] = {
    {"", ""},
    {"Start-up until every row is in the list and the summary written: our code's share beyond the bare "
     "enumeration",
     "≤ 15% of the enumeration"},
    {"\"Scan Cache\" with 1% of the entries changed: our code's share beyond the bare enumeration",
     "≤ 15% of the enumeration"},
    {"First row painted after the window appears", "≤ 0.5 s"},
    {"Window answers (longest WM_NULL answer) during start-up", "< 100 ms"},
    {"Window answers (longest WM_NULL answer) during \"Scan Cache\"", "< 100 ms"},
    {"Window answers (longest WM_NULL answer) during \"Save Cache Backup\"", "< 100 ms"},
    {"Header click on URL, on a header column and on Last Access", "< 0.3 s each"},
    {"Filter bar: a key's re-filter and repaint", "< 100 ms"},
    {"Text-column sort, both directions", "≤ 3× the byte-order sort of the same texts"},
    {"Merge with 2% changes", "≤ 3× one index pass"},
    {"Merge with 2% changes: per-entry growth from 10,000", "≤ 1.2× the floor's growth"},
    {"Backup load, records only and with content", "≤ 3× reading and copying the file once"},
    {"Report and CSV export", "≤ 3× writing the same bytes"},
    {"Save Cache Backup", "≤ 1.5× reading the same cached files and writing their bytes"},
    {"Memory: peak private bytes of the listing", "≤ 1.5× its records and strings"},
    {"/history over 30 archives: time per archive", "≤ 1.5× loading one archive"},
    {"/history: peak private bytes whatever the number of archives", "≤ 1.1× those over 5 archives"},
};

std::vector<ResultRow> g_rows;
std::vector<std::string> g_notes;

std::string Format(const char* format, double value)
{
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string Ms(double ms)
{
    if (ms >= 100)
        return Format("%.0f ms", ms);
    if (ms >= 1)
        return Format("%.1f ms", ms);
    return Format("%.3f ms", ms);
}

std::string Us(double us) { return Format(us >= 10 ? "%.1f µs" : "%.2f µs", us); }

std::string Bytes(double bytes)
{
    if (bytes >= 10 * 1024 * 1024)
        return Format("%.1f MiB", bytes / (1024 * 1024));
    if (bytes >= 10 * 1024)
        return Format("%.0f KiB", bytes / 1024);
    return Format("%.0f B", bytes);
}

std::string Times(double ratio) { return Format(ratio >= 10 ? "%.1f×" : "%.2f×", ratio); }
std::string Percent(double share) { return Format("%.1f%%", share * 100); }

ResultRow TimedRow(const std::string& operation, const std::string& sample, int n, const Stats& measured,
                   const std::string& baseline, const Stats& base, TargetId target, double limit)
{
    ResultRow row;
    row.operation = operation;
    row.sample = sample;
    row.n = n;
    row.min = Ms(measured.min);
    row.median = Ms(measured.median);
    row.baseline = baseline;
    row.repeats = std::to_string(measured.repeat);
    if (base.runs > 0) {
        row.baselineMin = Ms(base.min);
        row.baselineMedian = Ms(base.median);
        row.repeats += " : " + std::to_string(base.repeat);
        double ratio = base.min > 0 ? measured.min / base.min : 0;
        row.ratio = Times(ratio);
        if (target != NO_TARGET)
            Judge(&row, target, ratio, row.ratio, ratio <= limit);
    }
    return row;
}

void Judge(ResultRow* row, TargetId target, double value, const std::string& valueText, bool met)
{
    row->target = target;
    row->limit = Targets[target].limit;
    row->verdict = met ? "met" : "MISSED";
    row->score = value;
    row->scoreText = valueText;
}

ResultRow Unmeasurable(const std::string& operation, const std::string& sample, TargetId target,
                       const std::string& reason)
{
    ResultRow row;
    row.operation = operation;
    row.sample = sample;
    row.baseline = reason;
    row.target = target;
    row.limit = Targets[target].limit;
    row.verdict = "not measurable";
    row.scoreText = reason;
    return row;
}

void AddRow(const ResultRow& row)
{
    g_rows.push_back(row);
    printf("  %-50s %-20s %9s %9s | %-40s %9s %9s %8s %s %s\n", row.operation.c_str(), row.sample.c_str(),
           row.min.c_str(), row.median.c_str(), row.baseline.c_str(), row.baselineMin.c_str(),
           row.baselineMedian.c_str(), row.ratio.c_str(), row.limit.c_str(), row.verdict.c_str());
    fflush(stdout);
}

void AddNote(const std::string& note)
{
    for (const std::string& known : g_notes)
        if (known == note)
            return;
    g_notes.push_back(note);
}

// One row per line, its fields between tabs; notes as lines of their own.
bool SaveRows(const char* path)
{
    FILE* out = fopen(path, "wb");
    if (!out)
        return false;
    for (const ResultRow& r : g_rows)
        fprintf(out, "row\t%s\t%s\t%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%d\t%s\t%s\t%.6f\t%s\n", r.operation.c_str(),
                r.sample.c_str(), r.n, r.min.c_str(), r.median.c_str(), r.baseline.c_str(), r.baselineMin.c_str(),
                r.baselineMedian.c_str(), r.ratio.c_str(), r.repeats.c_str(), (int)r.target, r.limit.c_str(),
                r.verdict.c_str(), r.score, r.scoreText.c_str());
    for (const std::string& note : g_notes)
        fprintf(out, "note\t%s\n", note.c_str());
    return fclose(out) == 0;
}

bool LoadRows(const char* path)
{
    FILE* in = fopen(path, "rb");
    if (!in)
        return false;
    char line[8192];
    while (fgets(line, sizeof line, in)) {
        line[strcspn(line, "\r\n")] = '\0';
        std::vector<std::string> fields;
        for (char *start = line, *tab;; start = tab + 1) {
            tab = strchr(start, '\t');
            fields.push_back(tab ? std::string(start, tab) : std::string(start));
            if (!tab)
                break;
        }
        if (fields[0] == "note" && fields.size() == 2) {
            AddNote(fields[1]);
        } else if (fields[0] == "row" && fields.size() == 16) {
            ResultRow r;
            r.operation = fields[1], r.sample = fields[2], r.n = atoi(fields[3].c_str());
            r.min = fields[4], r.median = fields[5], r.baseline = fields[6], r.baselineMin = fields[7];
            r.baselineMedian = fields[8], r.ratio = fields[9], r.repeats = fields[10];
            r.target = (TargetId)atoi(fields[11].c_str()), r.limit = fields[12], r.verdict = fields[13];
            r.score = atof(fields[14].c_str()), r.scoreText = fields[15];
            g_rows.push_back(r);
        }
    }
    fclose(in);
    return true;
}

namespace {

std::string Cell(const std::string& text)
{
    return text.empty() ? " " : text;
}

// The number a sample's label starts with: 60000 for "60,000 (real cache)".
long SizeOf(const std::string& sample)
{
    std::string digits;
    for (char c : sample) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != ',')
            break;
    }
    return atol(digits.c_str());
}

// The sizes measured, each with the shortest of its labels: "10,000" stands for
// the made-up entries and the real cache of that size together.
std::map<long, std::string> Sizes()
{
    std::map<long, std::string> sizes;
    for (const ResultRow& row : g_rows) {
        std::string& label = sizes[SizeOf(row.sample)];
        if (label.empty() || row.sample.size() < label.size())
            label = row.sample;
    }
    return sizes;
}

// The worst judged row of a target at one size: "2.1× met", or why it cannot be measured.
std::string SummaryCell(TargetId target, long size)
{
    const ResultRow* worst = NULL;
    for (const ResultRow& row : g_rows) {
        if (row.target != target || SizeOf(row.sample) != size)
            continue;
        bool measured = row.verdict != "not measurable";
        bool worstMeasured = worst && worst->verdict != "not measurable";
        if (!worst || (measured && (!worstMeasured || row.score > worst->score)))
            worst = &row;
    }
    if (!worst)
        return "–";
    if (worst->verdict == "not measurable")
        return "not measurable: " + worst->scoreText;
    return worst->scoreText + " " + worst->verdict;
}

void WriteSummary(FILE* out)
{
    std::map<long, std::string> sizes = Sizes();
    fprintf(out, "| What | Target |");
    for (const auto& size : sizes)
        fprintf(out, " %s |", size.second.c_str());
    fprintf(out, "\n|---|---|");
    for (size_t i = 0; i < sizes.size(); i++)
        fprintf(out, "---|");
    fprintf(out, "\n");
    for (int target = NO_TARGET + 1; target < TARGET_COUNT; target++) {
        fprintf(out, "| %s | %s |", Targets[target].what, Targets[target].limit);
        for (const auto& size : sizes)
            fprintf(out, " %s |", SummaryCell((TargetId)target, size.first).c_str());
        fprintf(out, "\n");
    }
}

void WriteTable(FILE* out)
{
    fprintf(out, "| Operation | Sample | N | Min | Median | Compared with | Min | Median | Ratio of minimums | "
                 "Repeats | Target | Result |\n");
    fprintf(out, "|---|---|---:|---:|---:|---|---:|---:|---:|---:|---|---|\n");
    for (const ResultRow& row : g_rows)
        fprintf(out, "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", row.operation.c_str(),
                row.sample.c_str(), row.n ? std::to_string(row.n).c_str() : " ", Cell(row.min).c_str(),
                Cell(row.median).c_str(), Cell(row.baseline).c_str(), Cell(row.baselineMin).c_str(),
                Cell(row.baselineMedian).c_str(), Cell(row.ratio).c_str(), Cell(row.repeats).c_str(),
                Cell(row.limit).c_str(), Cell(row.verdict).c_str());
}

void WriteNotes(FILE* out)
{
    for (const std::string& note : g_notes)
        fprintf(out, "- %s\n", note.c_str());
}

}  // namespace

void PrintResults()
{
    printf("\n");
    WriteSummary(stdout);
    printf("\n");
    WriteTable(stdout);
    printf("\n");
    WriteNotes(stdout);
    fflush(stdout);
}

bool WriteResults(const char* path, const std::string& machineExtra, double totalSeconds)
{
    FILE* out = fopen(path, "wb");
    if (!out)
        return false;
    SYSTEMTIME now;
    GetSystemTime(&now);
    fprintf(out, "# Benchmark results\n\n");
    fprintf(out, "Made by `scripts/bench.sh` (see bench/README.md), which rewrites this file.\n\n");
    fprintf(out, "- Run: %04d-%02d-%02d %02d:%02d UTC, %.0f s for the last part\n", now.wYear, now.wMonth,
            now.wDay, now.wHour, now.wMinute, totalSeconds);
    fprintf(out, "- Machine: %s\n", MachineDescription().c_str());
    if (!machineExtra.empty())
        fprintf(out, "- Host: %s\n", machineExtra.c_str());
    fprintf(out, "- Each operation and what it is compared with are timed in turn, %d times each; ratios compare "
                 "the minimums. A timing shorter than %.0f ms repeats the operation inside one timing (column "
                 "Repeats, operation : baseline) and its time is given per operation.\n\n",
            BENCH_RUNS, MIN_TIMING_MS);
    fprintf(out, "## Targets\n\nThe worst measurement of each target at each size.\n\n");
    WriteSummary(out);
    fprintf(out, "\n## Measurements\n\n");
    WriteTable(out);
    fprintf(out, "\n## Notes\n\n");
    WriteNotes(out);
    return fclose(out) == 0;
}

// The processor's name as the system records it, or "unknown".
static std::string CpuModel()
{
    char name[256] = "";
    DWORD size = sizeof name;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "unknown CPU";
    LONG result = RegQueryValueExA(key, "ProcessorNameString", NULL, NULL, (BYTE*)name, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || !name[0])
        return "unknown CPU";
    name[sizeof name - 1] = '\0';
    std::string text = name;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Wine's version, or the system's version numbers on Windows itself.
static std::string SystemVersion()
{
    typedef const char*(CDECL * WineVersion)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    WineVersion wineVersion = ntdll ? (WineVersion)(void*)GetProcAddress(ntdll, "wine_get_version") : NULL;
    if (wineVersion)
        return std::string("Wine ") + wineVersion();
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    char text[64];
    snprintf(text, sizeof text, "Windows %lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
             version.dwBuildNumber);
    return text;
}

std::string MachineDescription()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    char cores[32];
    snprintf(cores, sizeof cores, "%lu cores", system.dwNumberOfProcessors);
    return std::string(cores) + ", " + CpuModel() + ", " + SystemVersion();
}
