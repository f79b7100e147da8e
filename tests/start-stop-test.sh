#!/bin/bash
# scripts/start.sh --headless, run from another folder, starts Talvory on the
# database beside its executable (its first query succeeds); scripts/stop.sh
# ends it through its Exit path (by itself, exit code 0) and start.sh's Xvfb
# and wineserver go with it. In a light Wine prefix over the tests' own.
set -u
exe=$1
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-start-stop.XXXXXX")
export TALVORY_RUN_DIR=$work/run TALVORY_EXE=$work/install/Talvory.exe TALVORY_SKIP_BUILD=1 WINEDEBUG=+debugstr \
    TALVORY_WINEPREFIX=$work/prefix TALVORY_WINEPREFIX_BASE=${WINEPREFIX:-$root/build/wineprefix}
trap '"$root/scripts/stop.sh" >/dev/null 2>&1; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; cat "$work"/*.out "$work/run/start.log" "$work/run/wine.log"; tail -20 "$work/run/talvory.log"; exit 1; }
mkdir -p "$work/install" "$work/elsewhere" && cp "$exe" "$TALVORY_EXE" && cd "$work/elsewhere"
"$root/scripts/start.sh" --headless >"$work/start.out" 2>&1 &
starter=$!
for _ in $(seq 600); do
    grep -q "Talvory is running" "$work/start.out" && grep -q SQL_SUCCESS "$work/run/talvory.log" && break
    sleep 0.1
done
grep -q "Talvory is running" "$work/start.out" || fail "no tray icon within 60 seconds"
grep -q SQL_SUCCESS "$work/run/talvory.log" || fail "Talvory did not reach its database"
started=$(cat "$work/run/xvfb.pid" "$work/run/wineserver.pid") || fail "start.sh recorded no Xvfb or wineserver"
"$root/scripts/stop.sh" >"$work/stop.out" 2>&1 || fail "stop.sh had to force Talvory"
wait $starter || fail "Talvory did not end through its Exit (start.sh ended with $?)"
for pid in $started; do  # gone, or a zombie left for init to reap
    [ -z "$(tr -d '\0' 2>/dev/null </proc/$pid/cmdline)" ] || fail "process $pid that start.sh started is still there"
done
echo "start.sh and stop.sh: all checks passed"
