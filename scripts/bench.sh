#!/usr/bin/env bash
# Builds the benchmark and runs it under Wine, in its own prefix under the build
# tree and on a virtual display, then writes the table to bench/RESULTS.md.
#
#   scripts/bench.sh [benchmark options]    e.g. --sizes 10000 --only sort,merge
#
# The build tree is build/ unless BRINDLEWICK_BUILD_DIR names another. The first
# run in a prefix seeds its URL cache and writes its test files (a few minutes,
# about 3 GB); later runs reuse them. See bench/README.md.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

# From ctest (label "bench"), the run happens only when asked for.
if [ "${1:-}" = "--ctest" ]; then
    shift
    if [ "${BRINDLEWICK_BENCH:-}" != 1 ]; then
        echo "Benchmark skipped: run it with BRINDLEWICK_BENCH=1 ctest -L bench, or scripts/bench.sh."
        exit 77
    fi
fi

build=${BRINDLEWICK_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target brindlewick_bench -j "$(nproc)"

export WINEPREFIX="$build/bench-prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ=UTC
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    rm -f "$display_file"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$display_file")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the benchmark's Wine prefix in $WINEPREFIX ..."
    wineboot --init >/dev/null 2>&1
    wineserver -w
fi
# A persistent server keeps process start cheap; the prefix's own processes get
# the display and are started apart from this script's output.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

cpu=$(grep -m1 "model name" /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
host="$(nproc) cores ($cpu), $(uname -sr), $(wine --version), load average before the run $(cut -d' ' -f1-3 /proc/loadavg)"
results="$root/bench/RESULTS.md"
wine "$build/bench/brindlewick_bench.exe" --results "Z:${results//\//\\}" --host "$host" "$@" </dev/null
echo "Results written to $results"
