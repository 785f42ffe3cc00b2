#!/usr/bin/env bash
# Builds Brindlewick and runs every test under Wine, in a fresh test prefix.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure "$@"
