#!/usr/bin/env bash
# Builds the benchmark and runs it under Wine on a virtual display, then writes the
# table to bench/RESULTS.md. Two Wine prefixes under the build tree each hold a
# real URL cache, seeded once and reused: 10,000 entries and 60,000 entries.
#
#   scripts/bench.sh [--utc] [--only group,...] [--sizes 10000,100000] [--window-rounds N]
#
# Times are local in Europe/Berlin, a zone with daylight saving, unless --utc is
# given. --only picks groups (window, index, merge, compaction, sort, strays,
# backup, report, cachebackup, memory, history, filter); --sizes the counts of made-up
# entries; --window-rounds the rounds of the window group at each size (7 unless
# given). With --only, the table goes to bench-results.md in the build tree and
# bench/RESULTS.md, which holds every group, stays as it was.
# The build tree is build/ unless BRINDLEWICK_BUILD_DIR names another. See
# bench/README.md.
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

zone=Europe/Berlin
only=""
sizes="10000,100000"
rounds=""
while [ $# -gt 0 ]; do
    case "$1" in
    --utc) zone=UTC; shift ;;
    --only) only=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --window-rounds) rounds="--window-rounds $2"; shift 2 ;;
    *) echo "usage: $0 [--utc] [--only group,...] [--sizes 10000,100000] [--window-rounds N]" >&2; exit 2 ;;
    esac
done

build=${BRINDLEWICK_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target brindlewick_bench -j "$(nproc)"

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ=$zone
display_file=$(mktemp)
rows=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    rm -f "$display_file" "$rows"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$display_file")"

# Makes the prefix for a cache of $1 entries when it is missing and starts its
# server; the prefix's own processes get the display and start apart from this
# script's output.
enter_prefix() {
    export WINEPREFIX="$build/bench-prefix-$1"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making the benchmark's Wine prefix in $WINEPREFIX ..."
        wineboot --init >/dev/null 2>&1
        # No window manager runs: without this Wine waits 2 s whenever a window closes.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    fi
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

# The groups of --only among those given, comma-separated; all of them without --only.
pick() {
    [ -z "$only" ] && { echo "$1"; return; }
    local picked=""
    for group in ${1//,/ }; do
        case ",$only," in *",$group,"*) picked="$picked,$group" ;; esac
    done
    echo "${picked#,}"
}

bench="$build/bench/brindlewick_bench.exe"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
small_groups=$(pick window,cachebackup)
if [ -n "$small_groups" ]; then
    enter_prefix 10000
    wine "$bench" --cache 10000 --sizes none --only "$small_groups" $rounds --rows-out "$(winepath -w "$rows")" </dev/null
    wineserver -k
fi

enter_prefix 60000
cpu=$(grep -m1 "model name" /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
host="$(nproc) cores ($cpu), $(uname -sr), $(wine --version), TZ=$zone, load average before the run $load_before"
results="$root/bench/RESULTS.md"
[ -n "$only" ] && results="$build/bench-results.md"
wine "$bench" --cache 60000 --sizes "$sizes" --only "$(pick window,index,merge,compaction,sort,strays,backup,report,cachebackup,memory,history,filter)" $rounds \
    --rows-in "$(winepath -w "$rows")" --results "$(winepath -w "$results")" --host "$host" </dev/null
echo "- Load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$results"
echo "Results written to $results"
