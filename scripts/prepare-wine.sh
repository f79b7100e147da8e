#!/bin/bash
# Creates the project's Wine prefix once, with crash dialogs switched off and
# windows left unmanaged (without a window manager, Wine otherwise waits for
# every closed window to be withdrawn), and Wine's own fonts in its Fonts
# folder (this Wine reads no other folder of its own fonts; without Marlett the
# title bars' close buttons show an "r"). Then keeps a persistent wineserver
# running so that each program starts fast.
#
# With TALVORY_WINEPREFIX_BASE naming a prefix, $WINEPREFIX is made a light
# prefix over it (prepared first): a registry and a wineserver of its own, the
# base's C: drive. It takes a moment instead of a new prefix's 15 seconds and
# gigabyte, and lets a second Talvory run beside one in the base prefix.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

prepare() (
    export WINEPREFIX=$1
    started=0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        # A 64-bit prefix; where no 32-bit code runs, wineboot says that
        # it cannot set up the 32-bit part and goes on.
        wine wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 || true
        started=1
    fi
    fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [ ! -d "$fonts" ]; then
        echo "Wine could not set up its prefix in $WINEPREFIX; what wineboot said:" >&2
        tail -n 5 "$WINEPREFIX/wineboot.log" >&2 2>/dev/null
        exit 1
    fi
    for font in /usr/share/wine/fonts/*; do
        [ -e "$fonts/$(basename "$font")" ] || ln -s "$font" "$fonts/"
    done
    settings="$WINEPREFIX/.talvory-settings-1"
    if [ ! -f "$settings" ]; then
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d 'false' /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        touch "$settings"
        started=1
    fi
    # Until the server started here has gone and saved the registry (and its
    # programs, which took no notice of the fonts linked meanwhile): the
    # "wineserver -p" below starts a persistent server only when none runs.
    [ $started -eq 0 ] || wineserver -w
)

base=${TALVORY_WINEPREFIX_BASE:-}
if [ -n "$base" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
    prepare "$base" base
    mkdir -p "$WINEPREFIX/dosdevices"
    cp -p "$base"/*.reg "$base"/.update-timestamp "$base"/.talvory-settings-* "$WINEPREFIX/"
    ln -sfn "$base/drive_c" "$WINEPREFIX/drive_c"
    ln -sfn ../drive_c "$WINEPREFIX/dosdevices/c:"
    ln -sfn / "$WINEPREFIX/dosdevices/z:"
fi
prepare "$WINEPREFIX"
# A persistent server: it stays up between programs until killed.
wineserver -p 2>/dev/null || true
