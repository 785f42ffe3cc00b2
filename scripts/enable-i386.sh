#!/usr/bin/env bash
# Makes sure that 32-bit (i386) Linux programs run, as Wine's 32-bit loader is
# one: natively where the kernel can, otherwise under QEMU's user-mode emulator
# registered with binfmt_misc. Does nothing where they already run.
set -eu
probe=/usr/lib/wine/wine
[ -x "$probe" ] || exit 0
if "$probe" --version >/dev/null 2>&1; then
    exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
emulator=/usr/bin/qemu-i386
# Debian 12's QEMU 7.2 refuses Wine the shared user data page at 0x7ffe0000;
# QEMU 10 from bookworm-backports places it.
if ! [ -x "$emulator" ] || ! "$emulator" --version | grep -qE 'version (9|[1-9][0-9])\.'; then
    echo "This kernel runs no 32-bit programs: installing QEMU's user-mode emulator for Wine."
    sources=/etc/apt/sources.list.d/brindlewick-backports.sources
    if ! grep -rqs "bookworm-backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
        $SUDO tee "$sources" >/dev/null <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    fi
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq -t bookworm-backports qemu-user >/dev/null
fi
# The server then runs natively: only the programs themselves are emulated.
if ! [ -x /usr/lib/wine/wineserver64 ]; then
    $SUDO apt-get install -y -qq wine64 >/dev/null
fi

binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
fi
# An entry made for another emulator binary is replaced.
if [ -e "$binfmt/qemu-i386" ] && ! grep -qx "interpreter $emulator" "$binfmt/qemu-i386"; then
    echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
    # ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386).
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:$emulator:F" | $SUDO tee "$binfmt/register" >/dev/null
fi
if ! "$probe" --version >/dev/null 2>&1; then
    echo "32-bit programs still do not run: Wine cannot start." >&2
    exit 1
fi
