#!/bin/bash
# Installs the Debian packages Talvory is built, run and tested with:
# the mingw-w64 i686 toolchain, Wine (wine64 + wine32), Xvfb, unixODBC and the
# SQLite ODBC driver for i386, sqlite3, and gcc's 32-bit support for the ODBC
# driver adapter. Does nothing when everything is already there.
set -euo pipefail

packages=(
    g++-mingw-w64-i686-posix cmake make
    wine wine64 wine32:i386 xvfb x11-utils
    unixodbc:i386 libsqliteodbc:i386 sqlite3
    gcc-multilib python3 libsqlite3-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" dpkg --add-architecture i386
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
