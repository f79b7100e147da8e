#!/bin/bash
# Installs the Debian packages that scripts/start.sh, scripts/test.sh and
# scripts/screenshots.sh use (as root, or through sudo); does nothing when
# everything is there. With --missing it only lists what is missing.
#
#   g++-mingw-w64-i686-posix  the cross compiler (gcc, windres, the Win32 headers and libraries)
#   cmake make                configure and build; ctest runs the tests
#   gcc-multilib              gcc -m32 for the ODBC driver adapter (platform/)
#   wine wine64 wine32:i386   Wine for the 32-bit program, wineserver, taskkill
#   fonts-wine                Wine's own fonts (Marlett draws the title bars' buttons)
#   xvfb x11-utils            the headless X server; xdpyinfo and xwininfo look at a display
#   unixodbc:i386 libsqliteodbc:i386  the 32-bit ODBC driver manager and SQLite driver
#   sqlite3                   tools/create-database.sh
#   googletest                /usr/src/googletest, built with the cross compiler for the tests
#   python3 libsqlite3-dev    the benchmarks (bench/)
#   imagemagick               import: the screen as the X server shows it, for
#                             scripts/screenshots.sh and the tests
set -euo pipefail
# The packages' own set-up (libsqliteodbc's registers its driver with
# odbcinst) must see the system's ODBC configuration, not the project's.
unset ODBCSYSINI ODBCINSTINI

packages=(
    g++-mingw-w64-i686-posix cmake make gcc-multilib
    wine wine64 wine32:i386 fonts-wine xvfb x11-utils
    unixodbc:i386 libsqliteodbc:i386 sqlite3
    googletest python3 libsqlite3-dev
    imagemagick
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ "${1:-}" = "--missing" ]; then
    [ ${#missing[@]} -eq 0 ] || echo "${missing[*]}"
    exit 0
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run this as root, or install sudo." >&2; exit 1; }
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" dpkg --add-architecture i386
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
