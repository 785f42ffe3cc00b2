#!/usr/bin/env bash
# Installs what building and testing Brindlewick needs on Debian 12, unless present.
set -eu
needed=()
command -v i686-w64-mingw32-g++-posix >/dev/null || needed+=(mingw-w64)
command -v wine >/dev/null || needed+=(wine)
[ -e /usr/lib/wine/wineserver32 ] || needed+=(wine32)
command -v Xvfb >/dev/null || needed+=(xvfb)
[ -d /usr/src/googletest ] || needed+=(googletest)
command -v cmake >/dev/null || needed+=(cmake)
command -v python3 >/dev/null || needed+=(python3)
command -v import >/dev/null || needed+=(imagemagick)
command -v mactime >/dev/null || needed+=(sleuthkit)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

if [ ${#needed[@]} -gt 0 ]; then
    if [ ! -f /etc/debian_version ] || ! command -v apt-get >/dev/null; then
        echo "Missing: ${needed[*]} (Debian package names). This script installs them on Debian 12" >&2
        echo "only; on another system install the i686 mingw-w64 cross compiler, 32-bit Wine, Xvfb," >&2
        echo "GoogleTest's sources (in /usr/src/googletest), CMake, Python 3 and the Sleuth Kit yourself." >&2
        exit 1
    fi
    echo "Installing: ${needed[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    # wine32 is i386; xvfb gives the tests and a headless run a display; python3 reads
    # the CSV export back in a test; imagemagick's import takes the headless run's
    # screenshot; sleuthkit's mactime reads the body file back in a test.
    $SUDO apt-get install -y -qq mingw-w64 wine wine32 xvfb googletest cmake make python3 imagemagick \
        sleuthkit >/dev/null
fi

# Wine's 32-bit loader is an i386 Linux program. A kernel that runs no 32-bit
# code (its ia32 emulation switched off, as on some virtual machines) gets it run
# by QEMU's user-mode emulator instead, registered with binfmt_misc. The emulator
# of Debian 12 cannot place Wine's fixed mappings; the one of its backports can.
"$(dirname "$0")/enable-i386.sh"
