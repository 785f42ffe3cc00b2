#!/usr/bin/env bash
# Builds Brindlewick and starts it under Wine.
#
#   scripts/run.sh           in your own Wine prefix ($WINEPREFIX, else ~/.wine),
#                            whose cache your Windows programs fill
#   scripts/run.sh --demo    in a separate prefix under build/, whose cache is
#                            seeded with a few hundred sample entries
#
# On a display the window opens there. Without one (no DISPLAY) a virtual display
# is started; the script waits for the first scan, saves a screenshot of the
# window, prints its path and quits the program.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

demo=0
for argument in "$@"; do
    case "$argument" in
    --demo) demo=1 ;;
    *) echo "usage: $0 [--demo]" >&2; exit 2 ;;
    esac
done

"$root/scripts/build.sh"
export WINEDEBUG=-all

# Without a display, a virtual one for the run; stopped when the script ends.
xvfb_pid=""
cleanup() {
    if [ "$demo" -eq 1 ]; then wineserver -k 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    [ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"
fi

if [ "$demo" -eq 1 ]; then
    # The demo prefix is made once (with the display, which its first processes
    # keep) and its cache seeded afresh on every run.
    export WINEPREFIX="$build/demo-prefix" WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making the demo Wine prefix in $WINEPREFIX ..."
        wineboot --init >/dev/null 2>&1
    fi
    wine "$build/tools/brindlewick_demo_seed.exe"
fi

if [ -z "$xvfb_pid" ]; then
    wine "$build/brindlewick.exe"
    exit 0
fi

# Headless: start the program, photograph it after its first scan, let it quit.
mkdir -p "$build/screenshots"
shot="$build/screenshots/brindlewick$([ "$demo" -eq 1 ] && echo -demo).png"
rm -f "$shot"
# The picture comes from the X server, which shows the list's rows as painted.
wine "$build/brindlewick.exe" &
program=$!
status=0
geometry=$(wine "$build/tools/brindlewick_snapshot.exe" ready | tr -d '\r') || status=$?
if [ "$status" -eq 0 ]; then
    import -window root -crop "$geometry" +repage "$shot" || status=$?
fi
wine "$build/tools/brindlewick_snapshot.exe" quit || true
wait "$program" || true
if [ "$status" -ne 0 ] || [ ! -s "$shot" ]; then
    echo "No screenshot was taken." >&2
    exit 1
fi
# Let the prefix's own processes end while the display still exists.
timeout 30 wineserver -w 2>/dev/null || true
echo "Screenshot of the Brindlewick window: $shot"
