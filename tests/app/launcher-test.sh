#!/bin/bash
# Talvory started by the launcher from some other working directory reaches
# its database beside the executable: its first query succeeds.
set -u
exe=$1
tool=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-launch.XXXXXX")
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/install/database" "$work/elsewhere"
cp "$exe" "$work/install/Talvory.exe"
"$tool" --examples "$work/install/database/phrases.mdb" >/dev/null

cd "$work/elsewhere"
WINEDEBUG=+debugstr "$(dirname "$0")/../../platform/talvory-launch.sh" "$work/install/Talvory.exe" \
    >"$work/output.log" 2>&1 &
pid=$!
for _ in $(seq 150); do
    grep -q "SQL_SUCCESS" "$work/output.log" && exit 0
    sleep 0.1
done
echo "Talvory did not reach its database; its debugger output was:"
cat "$work/output.log"
exit 1
