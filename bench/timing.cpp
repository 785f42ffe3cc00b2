#include "timing.h"
#include <algorithm>

double NowMs()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

Stats Summarize(std::vector<double> samples)
{
    Stats stats;
    stats.runs = (int)samples.size();
    if (samples.empty())
        return stats;
    std::sort(samples.begin(), samples.end());
    size_t middle = samples.size() / 2;
    stats.min = samples.front();
    stats.median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return stats;
}

static double TimeOnce(const Timed& timed)
{
    if (timed.prepare)
        timed.prepare();
    double start = NowMs();
    timed.work();
    double elapsed = NowMs() - start;
    if (timed.cleanup)
        timed.cleanup();
    return elapsed;
}

Stats Measure(int runs, const Step& prepare, const Step& work, const Step& cleanup)
{
    std::vector<double> samples;
    Timed timed = {prepare, work, cleanup};
    for (int run = 0; run < runs; run++)
        samples.push_back(TimeOnce(timed));
    return Summarize(samples);
}

void MeasurePair(int runs, const Timed& first, const Timed& second, Stats* firstStats, Stats* secondStats)
{
    std::vector<double> a, b;
    for (int run = 0; run < runs; run++) {
        a.push_back(TimeOnce(first));
        b.push_back(TimeOnce(second));
    }
    *firstStats = Summarize(a);
    *secondStats = Summarize(b);
}
