#!/usr/bin/env bash
# Runs one test executable in the run's test prefix, on its virtual display, in
# the time zone TEST_TZ names (UTC when it is not set).
#   wine-run.sh <fixture dir> <program.exe> [arguments]
set -u
dir=$1
shift
export WINEPREFIX="$dir/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ="${TEST_TZ:-UTC}"
export DISPLAY=":$(cat "$dir/display" 2>/dev/null)"
export BRINDLEWICK_TEST_OUTPUT="$dir/output"
mkdir -p "$BRINDLEWICK_TEST_OUTPUT"
exec wine "$@"
