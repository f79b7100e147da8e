# Sourced by the scripts that run Talvory or its tests under Wine: a Wine
# prefix of the project's own (never ~/.wine), quiet Wine, no Mono/Gecko
# prompts, and unixODBC reading the project's odbcinst.ini.
TALVORY_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export TALVORY_BUILD_DIR=${TALVORY_BUILD_DIR:-$TALVORY_ROOT/build}
export WINEPREFIX=${TALVORY_WINEPREFIX:-$TALVORY_BUILD_DIR/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export ODBCSYSINI=$TALVORY_BUILD_DIR/odbc
