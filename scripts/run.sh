#!/usr/bin/env bash
# Builds Brindlewick and starts it under Wine in the user's prefix.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
WINEDEBUG=-all exec wine "$root/build/brindlewick.exe"
