// Brindlewick's benchmark: prepares its inputs, runs every group of measurements at
// each size, prints one table and writes it, with the machine, as Markdown.
//
//   brindlewick_bench.exe [--sizes 10000,100000] [--scan-size 10000]
//                         [--only scan,index,merge,compaction,sort,strays,backup,report,memory,window]
//                         [--results <file.md>] [--host <text>]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include "app_state.h"
#include "bench_groups.h"
#include "results.h"
#include "timing.h"

namespace {

struct Options {
    std::vector<int> sizes = {10000, 100000};
    int scanSize = 10000;
    std::string only;           // comma-separated group names; empty: all
    std::string results;        // Markdown file to write, or empty
    std::string host;           // what the calling script knows of the host
};

std::vector<int> ParseSizes(const char* text)
{
    std::vector<int> sizes;
    for (const char* p = text; *p;) {
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
        else if (name == "--scan-size")
            options->scanSize = atoi(value);
        else if (name == "--only")
            options->only = std::string(",") + value + ",";
        else if (name == "--results")
            options->results = value;
        else if (name == "--host")
            options->host = value;
        else
            return false;
    }
    return !options->sizes.empty() && options->scanSize > 0;
}

bool Wanted(const Options& options, const char* group)
{
    return options.only.empty() || options.only.find(std::string(",") + group + ",") != std::string::npos;
}

void Heading(const char* group, int n)
{
    printf("\n== %s, N = %d ==\n", group, n);
    fflush(stdout);
}

typedef void (*Group)(int n);

struct SizedGroup {
    const char* name;
    Group run;
};

const SizedGroup SizedGroups[] = {
    {"index", BenchIndex},   {"merge", BenchMerge},   {"compaction", BenchCompaction},
    {"sort", BenchSort},     {"strays", BenchStrays}, {"backup", BenchBackup},
    {"report", BenchReport}, {"memory", BenchMemory},
};

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "usage: brindlewick_bench.exe [--sizes 10000,100000] [--scan-size 10000] "
                        "[--only group,...] [--results file.md] [--host text]\n");
        return 2;
    }
    double start = NowMs();
    printf("Brindlewick benchmark on %s\n", MachineDescription().c_str());

    if (Wanted(options, "scan")) {
        Heading("scan", options.scanSize);
        BenchScan(options.scanSize);
    }
    for (const SizedGroup& group : SizedGroups) {
        if (!Wanted(options, group.name))
            continue;
        for (int n : options.sizes) {
            Heading(group.name, n);
            // Every group starts from the program's defaults.
            ZeroMemory(&g_app.settings, sizeof(g_app.settings));
            group.run(n);
        }
    }
    if (Wanted(options, "window")) {
        Heading("window", options.scanSize);
        BenchWindow(options.scanSize, options.sizes.data(), (int)options.sizes.size());
    }

    double seconds = (NowMs() - start) / 1000.0;
    PrintResults();
    if (!options.results.empty() && !WriteResults(options.results.c_str(), options.host, seconds)) {
        fprintf(stderr, "cannot write %s\n", options.results.c_str());
        return 1;
    }
    return 0;
}
