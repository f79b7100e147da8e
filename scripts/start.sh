#!/bin/bash
# Sets everything up on a fresh Debian machine and starts Talvory: the
# packages, Talvory.exe with what it needs to run (not the tests), the
# project's Wine prefix, an example phrase database beside the executable
# (only when there is none), then Talvory itself. It runs until its
# Toolbox > Exit, a Ctrl+C here or scripts/stop.sh, and what this script
# started (Xvfb, the wineserver) ends with it. With no X display it offers a
# headless start under a private Xvfb (--headless).
#
#   scripts/start.sh [--headless] [--database "CONNECTION STRING"]
#
# --database sets the ODBC connection string of a team's database server in
# the Wine prefix's registry (HKCU\Software\Talvory, value Database), which
# Talvory then uses instead of its local phrase file; an empty string goes
# back to the local file. Passwords stay out of it: libpq reads them from its
# password file (PGPASSFILE; scripts/team-server.sh writes one, used here
# when PGPASSFILE is not set).
#
# One line per stage; the details go to build/run/start.log. What it started
# is recorded in build/run/ for scripts/stop.sh. For the tests and
# scripts/screenshots.sh: TALVORY_EXE runs another copy of Talvory.exe (with
# the database beside it), TALVORY_SKIP_BUILD=1 skips packages and build,
# TALVORY_RUN_DIR records elsewhere than build/run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
source "$here/run-state.sh"
headless=0
database_server=
set_database=0
while [ $# -gt 0 ]; do
    case $1 in
        --headless) headless=1; shift ;;
        --database) [ $# -ge 2 ] || { echo "--database needs a connection string" >&2; exit 2; }
                    database_server=$2 set_database=1; shift 2 ;;
        *) echo "usage: $0 [--headless] [--database \"CONNECTION STRING\"]" >&2; exit 2 ;;
    esac
done
if [ -z "${PGPASSFILE:-}" ] && [ -f "$TALVORY_ROOT/build/team-server/pgpass" ]; then
    export PGPASSFILE=$TALVORY_ROOT/build/team-server/pgpass
fi
exe=${TALVORY_EXE:-$TALVORY_BUILD_DIR/bin/Talvory.exe}
database=$(dirname "$exe")/database/phrases.mdb

mkdir -p "$TALVORY_RUN_DIR"
log=$TALVORY_RUN_DIR/start.log
if talvory_running; then
    echo "Talvory is already running (scripts/stop.sh ends it)."
    exit 1
fi
stop_started_services  # whatever a start.sh that was killed left behind
: >"$log"

wine_preparation=
failed() {
    echo "That failed; the details are in $1:" >&2
    tail -n 15 "$1" >&2
    # Wine's preparation may still run: its wineserver is stopped with the rest.
    [ -z "$wine_preparation" ] || record_wineserver || true
    exit 1
}
# stage MESSAGE COMMAND...: one line, the command's output into the log.
stage() {
    echo "$1"
    shift
    "$@" >>"$log" 2>&1 || failed "$log"
}

# Records the prefix's wineserver, when it was not running before start.sh
# and none is recorded yet.
note_wineserver() {
    local server
    [ -z "$server_before" ] && [ ! -s "$TALVORY_RUN_DIR/wineserver.pid" ] || return 0
    server=$(wineserver_pid)
    [ -z "$server" ] || echo "$server" >"$TALVORY_RUN_DIR/wineserver.pid"
}
# Waits for Wine's preparation, then records the server it left running
# (also when the preparation failed, so that it is stopped at the end).
record_wineserver() {
    local status=0
    wait $wine_preparation 2>/dev/null || status=1
    wine_preparation=
    note_wineserver
    return $status
}
trap 'stop_started_services' EXIT
on_interrupt() {
    echo
    [ -z "$wine_preparation" ] || record_wineserver || true
    if talvory_running; then
        echo "Ending Talvory…"
        talvory_stop && echo "Talvory has ended."
    fi
    exit 130
}
trap on_interrupt INT TERM

if [ -z "${TALVORY_SKIP_BUILD:-}" ] && [ -n "$("$here/install-deps.sh" --missing)" ]; then
    stage "Installing packages…" "$here/install-deps.sh"
fi

if [ $headless -eq 0 ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
    echo "There is no X display to show Talvory's tray icon on (DISPLAY is '${DISPLAY:-}')."
    if [ -t 0 ]; then
        read -r -p "Start Talvory headless under Xvfb instead? [y/N] " answer
        [[ "$answer" =~ ^[Yy] ]] && headless=1
    fi
    if [ $headless -eq 0 ]; then
        echo "Run '$0 --headless' to start it under a private Xvfb display."
        exit 1
    fi
fi
if [ $headless -eq 1 ]; then
    unset DISPLAY
    source "$here/start-xvfb.sh"
    [ -n "${TALVORY_XVFB_PID:-}" ] || { echo "Could not start Xvfb." >&2; exit 1; }
    echo "$TALVORY_XVFB_PID" >"$TALVORY_RUN_DIR/xvfb.pid"
fi
echo "$DISPLAY" >"$TALVORY_RUN_DIR/display"
echo "$WINEPREFIX" >"$TALVORY_RUN_DIR/prefix"

# The Wine prefix is prepared while Talvory builds (in a session of its own,
# as Wine's processes started now outlive this step and must not get a Ctrl+C).
rm -f "$TALVORY_RUN_DIR/wineserver.pid"  # left by a run that did not end cleanly
server_before=$(wineserver_pid)
setsid "$here/prepare-wine.sh" >"$TALVORY_RUN_DIR/wine.log" 2>&1 &
wine_preparation=$!

if [ -z "${TALVORY_SKIP_BUILD:-}" ]; then
    stage "Building Talvory…" "$here/build.sh" Talvory
fi
echo "Preparing Wine…"
record_wineserver || failed "$TALVORY_RUN_DIR/wine.log"

if [ ! -e "$database" ]; then
    stage "Creating the example database…" "$TALVORY_ROOT/tools/create-database.sh" --examples "$database"
fi
if [ $set_database -eq 1 ]; then
    if [ -n "$database_server" ]; then
        stage "Using the database server: $database_server" \
            wine reg add 'HKCU\Software\Talvory' /v Database /t REG_SZ /d "$database_server" /f
    else
        echo "Using the local phrase file"
        wine reg delete 'HKCU\Software\Talvory' /v Database /f >>"$log" 2>&1 || true
    fi
fi

echo "Starting Talvory…"
echo "$exe" >"$TALVORY_RUN_DIR/exe"
setsid "$TALVORY_ROOT/platform/talvory-launch.sh" "$exe" >"$TALVORY_RUN_DIR/talvory.log" 2>&1 &
talvory=$!
echo $talvory >"$TALVORY_RUN_DIR/talvory.pid"
shown=0
for _ in $(seq 300); do
    talvory_running || break
    if tray_icon_shown; then
        shown=1
        break
    fi
    sleep 0.1
done
# Should the server not have been seen after the preparation, Talvory's is.
note_wineserver
if [ $shown -eq 1 ]; then
    echo "Talvory is running on display $DISPLAY: its icon is in the notification area." \
        "Toolbox > Exit in its menu, Ctrl+C here or scripts/stop.sh ends it."
elif talvory_running; then
    echo "Talvory has shown no tray icon within 30 seconds; its output is in $TALVORY_RUN_DIR/talvory.log."
fi
status=0
{ wait $talvory; } 2>/dev/null || status=$?  # without the shell's "Killed" line
echo "Talvory has ended$([ $status -eq 0 ] || echo " (exit code $status; its output is in $TALVORY_RUN_DIR/talvory.log)")."
exit $status
