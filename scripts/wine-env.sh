# Sourced by the scripts that build, run or test Talvory: the width of the
# program in hand, its build folder, a Wine prefix of the project's own (never
# ~/.wine), quiet Wine, no Mono/Gecko prompts, and unixODBC reading the
# project's odbcinst.ini of that width.
#
# TALVORY_ARCH names the width: x86_64 (the default: it runs on every machine
# of ours) or i686 (the program for Windows machines whose Access driver is
# 32-bit only; it runs here only where the kernel executes 32-bit code). Each
# width has its own build folder: TALVORY_BUILD_DIR (build/ unless set) and
# TALVORY_I686_BUILD_DIR (build/i686/ unless set).
TALVORY_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export TALVORY_ARCH=${TALVORY_ARCH:-x86_64}
case $TALVORY_ARCH in
    x86_64)
        export TALVORY_BUILD_DIR=${TALVORY_BUILD_DIR:-$TALVORY_ROOT/build}
        TALVORY_WINE=/usr/lib/wine/wine64 ;;
    i686)
        export TALVORY_I686_BUILD_DIR=${TALVORY_I686_BUILD_DIR:-$TALVORY_ROOT/build/i686}
        export TALVORY_BUILD_DIR=$TALVORY_I686_BUILD_DIR
        TALVORY_WINE=/usr/lib/wine/wine ;;
    *) echo "TALVORY_ARCH is x86_64 or i686, not '$TALVORY_ARCH'" >&2; return 1 2>/dev/null || exit 1 ;;
esac
export WINEPREFIX=${TALVORY_WINEPREFIX:-$TALVORY_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# (TALVORY_ODBCSYSINI: another folder, for a test of a machine set up otherwise.)
export ODBCSYSINI=${TALVORY_ODBCSYSINI:-$TALVORY_BUILD_DIR/odbc}
# Wine's loader of the program's width, called directly: Debian's wine script
# always takes the 32-bit loader when wine32 is installed. WINELOADER tells
# Wine where its loaders are when a program starts another of either width.
export TALVORY_WINE WINELOADER=$TALVORY_WINE
wine() { "$TALVORY_WINE" "$@"; }
