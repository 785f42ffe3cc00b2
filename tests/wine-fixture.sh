#!/usr/bin/env bash
# Test prefix and display for one ctest run.
#   wine-fixture.sh setup <dir>   fresh 32-bit prefix in <dir>/prefix, a persistent
#                                 wineserver, and a virtual display (Xvfb)
#   wine-fixture.sh stop <dir>    stops the wineserver and the display
set -u
action=$1
dir=$2
export WINEPREFIX="$dir/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case "$action" in
setup)
    if [ -f "$dir/xvfb.pid" ]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null; fi
    wineserver -k 2>/dev/null
    rm -rf "$dir"
    mkdir -p "$dir"
    wineboot --init >"$dir/wineboot.log" 2>&1 || { cat "$dir/wineboot.log"; exit 1; }
    # Top-level windows that no window manager manages: with none running, Wine
    # would wait 2 s for one to confirm every window hidden or destroyed.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$dir/wineboot.log" 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    wineserver -p </dev/null >/dev/null 2>&1
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
    [ -s "$dir/display" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }
    # Start the prefix's system processes now, detached from ctest's output pipes,
    # which they would otherwise hold open after the first test ends. They get the
    # display, or the first program that opens a window finds no display driver.
    DISPLAY=":$(cat "$dir/display")" wine cmd /c exit </dev/null >/dev/null 2>&1
    echo "test prefix ready in $WINEPREFIX, display :$(cat "$dir/display")"
    ;;
stop)
    wineserver -k 2>/dev/null
    if [ -f "$dir/xvfb.pid" ]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null; rm -f "$dir/xvfb.pid"; fi
    exit 0
    ;;
*)
    echo "usage: $0 setup|stop <dir>" >&2
    exit 2
    ;;
esac
