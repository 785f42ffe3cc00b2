#include "timing.h"
#include <algorithm>
#include <math.h>

double NowMs()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

Stats Summarize(std::vector<double> samples, int repeat)
{
    Stats stats;
    stats.runs = (int)samples.size();
    stats.repeat = repeat;
    if (samples.empty())
        return stats;
    std::sort(samples.begin(), samples.end());
    size_t middle = samples.size() / 2;
    stats.min = samples.front() / repeat;
    stats.median = (samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2) / repeat;
    return stats;
}

namespace {

// One timing of `repeat` runs of the work, between its untimed steps.
double TimeOnce(const Timed& timed, int repeat)
{
    if (timed.prepare)
        timed.prepare(repeat);
    double start = NowMs();
    for (int i = 0; i < repeat; i++)
        timed.work();
    double elapsed = NowMs() - start;
    if (timed.cleanup)
        timed.cleanup();
    return elapsed;
}

// Repetitions that bring one timing of work taking `trialMs` to the minimum, with a
// margin for runs quicker than the trial.
int RepeatFor(double trialMs, int maxRepeat)
{
    if (trialMs >= MIN_TIMING_MS * 1.5)
        return 1;
    int repeat = (int)ceil(MIN_TIMING_MS * 1.5 / std::max(trialMs, 0.001));
    return std::min(std::max(repeat, 1), maxRepeat);
}

}  // namespace

void MeasurePair(const Timed& subject, const Timed& floor, Stats* subjectStats, Stats* floorStats)
{
    int subjectRepeat = RepeatFor(TimeOnce(subject, 1), subject.maxRepeat);
    int floorRepeat = RepeatFor(TimeOnce(floor, 1), floor.maxRepeat);
    std::vector<double> a, b;
    for (int run = 0; run < BENCH_RUNS; run++) {
        a.push_back(TimeOnce(subject, subjectRepeat));
        b.push_back(TimeOnce(floor, floorRepeat));
    }
    *subjectStats = Summarize(a, subjectRepeat);
    *floorStats = Summarize(b, floorRepeat);
}
