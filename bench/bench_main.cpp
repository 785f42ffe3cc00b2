// Brindlewick's benchmark: prepares its samples, runs every group of measurements
// on each, prints one table and writes it, with the machine, as Markdown.
//
//   brindlewick_bench.exe [--cache 60000] [--sizes 10000,100000 | none] [--only window,merge,...]
//                         [--rows-in <file>] [--rows-out <file>] [--results <file.md>] [--host <text>]
//                         [--window-rounds N]
//
// --cache seeds the prefix's URL cache with that many entries once and measures
// with them; --rows-out keeps this run's rows for a later run, which takes them
// with --rows-in (each real cache lives in a Wine prefix of its own).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app_state.h"
#include "bench.h"
#include "results.h"
#include "seeded_cache.h"

namespace {

// No WinINet index holds more entries than this (two 128-byte blocks each), so
// made-up samples above it stand in for a cache on the window too.
const int LARGEST_CACHE = 63000;

struct Options {
    std::vector<int> sizes = {10000, 100000};
    int cache = 0;
    std::string only;       // comma-separated group names; empty: all
    std::string rowsIn, rowsOut, results, host;
};

std::vector<int> ParseSizes(const char* text)
{
    std::vector<int> sizes;
    for (const char* p = text; *p && strcmp(text, "none") != 0;) {
        sizes.push_back(atoi(p));
        const char* comma = strchr(p, ',');
        if (!comma)
            break;
        p = comma + 1;
    }
    return sizes;
}

bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; i++) {
        std::string name = argv[i];
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        if (name == "--sizes")
            options->sizes = ParseSizes(value);
        else if (name == "--cache")
            options->cache = atoi(value);
        else if (name == "--only")
            options->only = std::string(",") + value + ",";
        else if (name == "--rows-in")
            options->rowsIn = value;
        else if (name == "--rows-out")
            options->rowsOut = value;
        else if (name == "--results")
            options->results = value;
        else if (name == "--host")
            options->host = value;
        else if (name == "--window-rounds")
            SetWindowRounds(atoi(value));
        else
            return false;
    }
    return true;
}

typedef void (*Group)(const Sample& sample);

struct NamedGroup {
    const char* name;
    Group run;
};

const NamedGroup Groups[] = {
    {"window", BenchWindow}, {"index", BenchIndex},   {"merge", BenchMerge},
    {"compaction", BenchCompaction}, {"sort", BenchSort}, {"strays", BenchStrays},
    {"backup", BenchBackup}, {"report", BenchReport}, {"cachebackup", BenchCacheBackup},
    {"memory", BenchMemory}, {"history", BenchHistory}, {"filter", BenchFilter},
};

bool Wanted(const Options& options, const char* group)
{
    return options.only.empty() || options.only.find(std::string(",") + group + ",") != std::string::npos;
}

// The window group needs the real cache, or a count no cache can hold.
bool Applies(const NamedGroup& group, const Sample& sample)
{
    return strcmp(group.name, "window") != 0 || sample.real || (int)sample.entries.size() > LARGEST_CACHE;
}

std::vector<Sample> MakeSamples(const Options& options)
{
    std::vector<Sample> samples;
    for (int n : options.sizes)
        samples.push_back(MadeUpSample(n));
    if (options.cache > 0) {
        if (EnsureSeededCache(options.cache))
            samples.push_back(RealSample(options.cache));
        else
            AddNote("The prefix's cache could not be seeded with " + std::to_string(options.cache) +
                    " entries; nothing was measured with it.");
    }
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.entries.size() < b.entries.size(); });
    return samples;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && strcmp(argv[1], "--memory-child") == 0)
        return RunMemoryChild(argv[2], atoi(argv[3]), argv[4]);
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "usage: brindlewick_bench.exe [--cache N] [--sizes 10000,100000 | none] "
                        "[--only group,...] [--rows-in file] [--rows-out file] [--results file.md] [--host text] "
                        "[--window-rounds N]\n");
        return 2;
    }
    double start = NowMs();
    printf("Brindlewick benchmark on %s\n", MachineDescription().c_str());
    if (!options.rowsIn.empty() && !LoadRows(options.rowsIn.c_str()))
        fprintf(stderr, "cannot read %s\n", options.rowsIn.c_str());

    std::vector<Sample> samples = MakeSamples(options);
    for (const NamedGroup& group : Groups) {
        if (!Wanted(options, group.name))
            continue;
        for (const Sample& sample : samples) {
            if (!Applies(group, sample))
                continue;
            printf("\n== %s, %s ==\n", group.name, sample.label.c_str());
            fflush(stdout);
            // Every group starts from the program's defaults.
            ZeroMemory(&g_app.settings, sizeof(g_app.settings));
            group.run(sample);
        }
    }

    double seconds = (NowMs() - start) / 1000.0;
    PrintResults();
    if (!options.rowsOut.empty() && !SaveRows(options.rowsOut.c_str())) {
        fprintf(stderr, "cannot write %s\n", options.rowsOut.c_str());
        return 1;
    }
    if (!options.results.empty() && !WriteResults(options.results.c_str(), options.host, seconds)) {
        fprintf(stderr, "cannot write %s\n", options.results.c_str());
        return 1;
    }
    return 0;
}
