// Wall-clock timing with QueryPerformanceCounter: repeated runs of a piece of work,
// each after an untimed preparation, summarised as minimum and median.
#ifndef BRINDLEWICK_BENCH_TIMING_H
#define BRINDLEWICK_BENCH_TIMING_H

#include <windows.h>
#include <functional>
#include <vector>

// Runs of every measurement unless a group asks for more.
const int BENCH_RUNS = 5;

// Milliseconds since an arbitrary start.
double NowMs();

struct Stats {
    double min = 0;
    double median = 0;
    int runs = 0;
};

Stats Summarize(std::vector<double> samples);

typedef std::function<void()> Step;

// Times `work` `runs` times, each after an untimed `prepare` (may be empty) and
// before an untimed `cleanup` (may be empty).
Stats Measure(int runs, const Step& prepare, const Step& work, const Step& cleanup = Step());

// Two measurements taken in alternation, run by run, so that both see the same
// state of the machine.
struct Timed {
    Step prepare;
    Step work;
    Step cleanup;
};
void MeasurePair(int runs, const Timed& first, const Timed& second, Stats* firstStats, Stats* secondStats);

#endif
