#!/bin/bash
# Creates the project's Wine prefix once, with crash dialogs switched off and
# windows left unmanaged (without a window manager, Wine otherwise waits for
# every closed window to be withdrawn), and keeps a persistent wineserver
# running so that each program starts fast.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
settings="$WINEPREFIX/.talvory-settings-1"
if [ ! -f "$settings" ]; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d 'false' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    touch "$settings"
fi
# A persistent server: it stays up between programs until killed.
wineserver -p 2>/dev/null || true
