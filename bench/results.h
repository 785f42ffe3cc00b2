// The one results table: rows gathered by every group of measurements, judged
// against the targets, printed on standard output and written as Markdown with a
// summary of every target at every size. Rows can be carried from one run of the
// benchmark to the next (each real cache lives in a Wine prefix of its own).
#ifndef BRINDLEWICK_BENCH_RESULTS_H
#define BRINDLEWICK_BENCH_RESULTS_H

#include <string>
#include "timing.h"

enum TargetId {
    NO_TARGET,
    TARGET_STARTUP_SHARE,
    TARGET_RESCAN_SHARE,
    TARGET_FIRST_ROW,
    TARGET_ANSWER_STARTUP,
    TARGET_ANSWER_RESCAN,
    TARGET_ANSWER_SAVE_BACKUP,
    TARGET_HEADER_CLICK,
    TARGET_FILTER_KEY,
    TARGET_TEXT_SORT,
    TARGET_MERGE,
    TARGET_MERGE_GROWTH,
    TARGET_BACKUP_LOAD,
    TARGET_EXPORT,
    TARGET_SAVE_BACKUP,
    TARGET_MEMORY,
    TARGET_HISTORY,
    TARGET_HISTORY_MEMORY,
    TARGET_COUNT
};

struct ResultRow {
    std::string operation;
    std::string sample;         // which sample of entries: its size, and whether a real cache
    int n = 0;                  // entries it held
    std::string min;            // of the operation
    std::string median;
    std::string baseline;       // what it is compared with
    std::string baselineMin;
    std::string baselineMedian;
    std::string ratio;          // operation against baseline, minimums
    std::string repeats;        // repetitions in one timing, operation : baseline
    TargetId target = NO_TARGET;
    std::string limit;          // the target's text
    std::string verdict;        // "met", "MISSED", "not measurable" or empty
    double score = 0;           // the judged value, larger is worse
    std::string scoreText;      // the judged value as the summary shows it
};

// Texts of a time in milliseconds or microseconds, a size in bytes and a ratio.
std::string Ms(double ms);
std::string Us(double us);
std::string Bytes(double bytes);
std::string Times(double ratio);
std::string Percent(double share);

// A row of two timings compared by their minimums, judged against `limit` (0: no
// target) when it has a target.
ResultRow TimedRow(const std::string& operation, const std::string& sample, int n, const Stats& measured,
                   const std::string& baseline, const Stats& base, TargetId target = NO_TARGET, double limit = 0);
// Judges a row: the value, its text in the summary, and whether it meets the target.
void Judge(ResultRow* row, TargetId target, double value, const std::string& valueText, bool met);
// A row for a target that cannot be measured at this size, with the reason.
ResultRow Unmeasurable(const std::string& operation, const std::string& sample, TargetId target,
                       const std::string& reason);

void AddRow(const ResultRow& row);
// A line of explanation printed under the table.
void AddNote(const std::string& note);

// Rows and notes carried between runs, one per line.
bool SaveRows(const char* path);
bool LoadRows(const char* path);

// Prints the table and the notes.
void PrintResults();
// Writes the summary of the targets, the table, the notes and the machine to a
// Markdown file; gives false when the file cannot be written.
bool WriteResults(const char* path, const std::string& machineExtra, double totalSeconds);

// Cores, CPU model and Wine version as this process sees them.
std::string MachineDescription();

#endif
