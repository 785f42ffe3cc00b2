// The one results table: rows gathered by every group of measurements, printed on
// standard output and written as Markdown with the machine they ran on.
#ifndef BRINDLEWICK_BENCH_RESULTS_H
#define BRINDLEWICK_BENCH_RESULTS_H

#include <string>
#include "timing.h"

struct ResultRow {
    std::string operation;
    int n = 0;
    std::string min;            // of the operation
    std::string median;
    std::string baseline;       // what it is compared with
    std::string baselineMin;
    std::string baselineMedian;
    std::string ratio;          // operation against baseline, medians
    std::string target;         // empty: no target
    std::string verdict;        // "met", "MISSED" or empty
};

// Texts of a time in milliseconds or microseconds, a size in bytes and a ratio.
std::string Ms(double ms);
std::string Us(double us);
std::string Bytes(double bytes);
std::string Times(double ratio);

// A row of two timings compared by their medians; a target ratio of 0 means none.
ResultRow TimedRow(const std::string& operation, int n, const Stats& measured, const std::string& baseline,
                   const Stats& base, double targetRatio = 0);
// Sets the target text and the verdict of a row from a value and its limit.
void Judge(ResultRow* row, const std::string& target, bool met);

void AddRow(const ResultRow& row);
// A line of explanation printed under the table.
void AddNote(const std::string& note);

// Prints the table and the notes.
void PrintResults();
// Writes the table, the notes and the machine to a Markdown file; gives false when
// the file cannot be written.
bool WriteResults(const char* path, const std::string& machineExtra, double totalSeconds);

// Cores, CPU model and Wine version as this process sees them.
std::string MachineDescription();

#endif
