#!/bin/bash
# Installs the Debian packages that scripts/start.sh, scripts/test.sh and
# scripts/screenshots.sh use (as root, or through sudo); does nothing when
# everything is there. With --missing it only lists what is missing.
#
# For the 64-bit program, which every machine of ours runs:
#   g++-mingw-w64-x86-64-posix   the cross compiler (gcc, windres, the Win32 headers and libraries)
#   g++-mingw-w64-i686-posix     the same for the 32-bit program, which every machine compiles
#   cmake make                   configure and build; ctest runs the tests
#   wine wine64                  Wine's 64-bit loader, wineserver, wineboot, taskkill
#   fonts-wine                   Wine's own fonts (Marlett draws the title bars' buttons)
#   xvfb x11-utils               the headless X server; xdpyinfo and xwininfo look at a display
#   libodbc2 libodbcinst2        the amd64 ODBC driver manager (its libraries, not its tools)
#   unixodbc-dev                 its headers
#   libsqliteodbc                the amd64 SQLite ODBC driver
#   sqlite3                      tools/create-database.sh
#   googletest                   /usr/src/googletest, built with the cross compiler for the tests
#   python3 libsqlite3-dev       the benchmarks (bench/); python3 also finds scripts/team-server.sh a free port
#   imagemagick                  import: the screen as the X server shows it, for
#                                scripts/screenshots.sh and the tests
#   postgresql-15                the PostgreSQL server (citext with it): scripts/team-server.sh,
#                                and the server of the tests' own
#   postgresql-client-15         psql: tools/create-database.sh --postgresql
#   odbc-postgresql              the amd64 psqlODBC driver, for the team library
# Only where the machine runs 32-bit code (scripts/runs-32-bit-code.sh tries),
# for the 32-bit program's tests; elsewhere they could never run and are left out:
#   wine32:i386                  Wine's 32-bit loader and libraries
#   libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386   the i386 driver manager and SQLite driver
#   odbc-postgresql:i386         the i386 psqlODBC driver
#   gcc-multilib                 gcc -m32 for the 32-bit ODBC driver adapter (platform/)
# (Debian's unixodbc tools package exists in one architecture at a time; the
# libraries install in both.)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The packages' own set-up (libsqliteodbc's registers its driver with
# odbcinst) must see the system's ODBC configuration, not the project's.
unset ODBCSYSINI ODBCINSTINI

packages=(
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix cmake make
    wine wine64 fonts-wine xvfb x11-utils
    libodbc2 libodbcinst2 unixodbc-dev libsqliteodbc sqlite3
    googletest python3 libsqlite3-dev
    imagemagick
    postgresql-15 postgresql-client-15 odbc-postgresql
)
packages_32=(wine32:i386 libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386 odbc-postgresql:i386 gcc-multilib)
runs_32=0
if "$here/runs-32-bit-code.sh"; then
    runs_32=1
    packages+=("${packages_32[@]}")
fi

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
[ $runs_32 -eq 1 ] || echo "Leaving out the 32-bit packages: this machine runs no 32-bit code."
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run this as root, or install sudo." >&2; exit 1; }
    sudo_cmd=(sudo)
fi
[ $runs_32 -eq 0 ] || "${sudo_cmd[@]}" dpkg --add-architecture i386
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
