// Wall-clock timing with QueryPerformanceCounter: an operation and its floor timed
// in turn, run after run, each timing long enough to stand above the clock and
// the machine's jitter, summarised by their minimums.
#ifndef BRINDLEWICK_BENCH_TIMING_H
#define BRINDLEWICK_BENCH_TIMING_H

#include <windows.h>
#include <functional>
#include <vector>

// Timings of each side of a comparison.
const int BENCH_RUNS = 7;
// No timing is shorter than this: a quicker operation is repeated inside one timing.
const double MIN_TIMING_MS = 20;

// Milliseconds since an arbitrary start.
double NowMs();

// Times of one operation, per operation (a timing divided by its repetitions).
struct Stats {
    double min = 0;
    double median = 0;
    int runs = 0;
    int repeat = 1;
};

typedef std::function<void()> Step;

// One side of a comparison. `prepare` runs untimed before every timing and is told
// how many repetitions will follow (for work that needs a fresh input each time);
// `work` runs that many times in one timing, at most `maxRepeat`; `cleanup` runs
// untimed after it.
struct Timed {
    std::function<void(int repeat)> prepare;
    Step work;
    Step cleanup;
    int maxRepeat = 1000;
};

// Minimum and median of timings of `repeat` operations each.
Stats Summarize(std::vector<double> samples, int repeat);

// Times `subject` and `floor` alternately (subject, floor, subject, ...), BENCH_RUNS
// times each, after one untimed trial of each that also decides how many times each
// repeats inside one timing to reach MIN_TIMING_MS.
void MeasurePair(const Timed& subject, const Timed& floor, Stats* subjectStats, Stats* floorStats);

#endif
