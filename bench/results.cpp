#include "results.h"
#include <stdio.h>
#include <vector>

static std::vector<ResultRow> g_rows;
static std::vector<std::string> g_notes;

static std::string Format(const char* format, double value)
{
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

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

ResultRow TimedRow(const std::string& operation, int n, const Stats& measured, const std::string& baseline,
                   const Stats& base, double targetRatio)
{
    ResultRow row;
    row.operation = operation;
    row.n = n;
    row.min = Ms(measured.min);
    row.median = Ms(measured.median);
    row.baseline = baseline;
    if (base.runs > 0) {
        row.baselineMin = Ms(base.min);
        row.baselineMedian = Ms(base.median);
        double ratio = base.median > 0 ? measured.median / base.median : 0;
        row.ratio = Times(ratio);
        if (targetRatio > 0)
            Judge(&row, "≤ " + Times(targetRatio), ratio <= targetRatio);
    }
    return row;
}

void Judge(ResultRow* row, const std::string& target, bool met)
{
    row->target = target;
    row->verdict = met ? "met" : "MISSED";
}

void AddRow(const ResultRow& row)
{
    g_rows.push_back(row);
    printf("  %-44s %7d  %10s %10s | %-40s %10s %10s  %8s %s %s\n", row.operation.c_str(), row.n, row.min.c_str(),
           row.median.c_str(), row.baseline.c_str(), row.baselineMin.c_str(), row.baselineMedian.c_str(),
           row.ratio.c_str(), row.target.c_str(), row.verdict.c_str());
    fflush(stdout);
}

void AddNote(const std::string& note)
{
    g_notes.push_back(note);
}

static std::string Cell(const std::string& text)
{
    return text.empty() ? " " : text;
}

static void WriteTable(FILE* out)
{
    fprintf(out, "| Operation | N | Min | Median | Compared with | Min | Median | Ratio | Target | Result |\n");
    fprintf(out, "|---|---:|---:|---:|---|---:|---:|---:|---|---|\n");
    for (const ResultRow& row : g_rows) {
        char n[32];
        snprintf(n, sizeof n, "%d", row.n);
        fprintf(out, "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", row.operation.c_str(), n,
                Cell(row.min).c_str(), Cell(row.median).c_str(), Cell(row.baseline).c_str(),
                Cell(row.baselineMin).c_str(), Cell(row.baselineMedian).c_str(), Cell(row.ratio).c_str(),
                Cell(row.target).c_str(), Cell(row.verdict).c_str());
    }
}

static void WriteNotes(FILE* out)
{
    for (const std::string& note : g_notes)
        fprintf(out, "- %s\n", note.c_str());
}

void PrintResults()
{
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
    fprintf(out, "- Run: %04d-%02d-%02d %02d:%02d UTC, %.0f s in all\n", now.wYear, now.wMonth, now.wDay,
            now.wHour, now.wMinute, totalSeconds);
    fprintf(out, "- Machine: %s\n", MachineDescription().c_str());
    if (!machineExtra.empty())
        fprintf(out, "- Host: %s\n", machineExtra.c_str());
    fprintf(out, "- Every time is the minimum and the median of %d runs (QueryPerformanceCounter); ratios compare "
                 "medians taken in the same run.\n\n",
            BENCH_RUNS);
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
