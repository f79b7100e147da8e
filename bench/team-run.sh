#!/bin/bash
# The team library's benchmarks, on a PostgreSQL server of their own
# (scripts/team-server.sh, in build/bench-postgresql, stopped at the end):
#
#  1. The tray menu of 64 categories of 64 phrases each, opened in process
#     (bench/menu_bench.cpp) straight on the local server, and through a link
#     that delays every chunk 5 ms each way (bench/delay-proxy.py): openings
#     of an unchanged library (the revision asked, the rows kept) and after a
#     change (every row read again). Goal: through the link at most twice the
#     time straight, and at most 100 ms.
#  2. A team at work (bench/team_load.cpp): 50 clients running the store's
#     code, each a connection of its own on a thread of one process, opening
#     the menu's reading of 4,096 phrases every 100 ms, while 5 of them change
#     a phrase each every EDIT_MS (default 5000: the team saves a change every
#     second). Goal: 95 % of the openings within 50 ms, no error, no change lost.
#
#   bench/team-run.sh [--rounds N] [--seconds S] [--edit-ms EDIT_MS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rounds=15 seconds=20 edit_ms=5000
while [ $# -gt 0 ]; do
    case $1 in
        --rounds) rounds=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --edit-ms) edit_ms=$2; shift 2 ;;
        *) echo "usage: $0 [--rounds N] [--seconds S] [--edit-ms EDIT_MS]" >&2; exit 2 ;;
    esac
done
source "$here/bench-setup.sh" menu_bench team_load
unset TALVORY_ODBC_TRACE TALVORY_ODBC_CONNECT_LOG
bin=$TALVORY_BUILD_DIR/bin
server_data=$TALVORY_ROOT/build/bench-postgresql
proxy=
stop_server() {
    [ -z "$proxy" ] || kill "$proxy" 2>/dev/null || true
    "$TALVORY_ROOT/scripts/team-server.sh" stop --data "$server_data" >/dev/null 2>&1 || true
}
trap 'stop_server; cleanup' EXIT
"$TALVORY_ROOT/scripts/team-server.sh" start --data "$server_data" --for-tests >/dev/null
port=$(cat "$server_data/port")
admin() { psql -X -q -h 127.0.0.1 -p "$port" -U talvory_test_admin "$@"; }

# 64 categories, each with its category row and 64 phrases, added in turns
# as phrases accumulate over time.
admin -d postgres -c "SET client_min_messages = warning" -c "DROP DATABASE IF EXISTS bench" \
    -c "CREATE DATABASE bench TEMPLATE talvory_template"
admin -d bench -c "
INSERT INTO phrase (category, code, content)
SELECT format('Category %s', lpad(c::text, 2, '0')),
       CASE WHEN p = 0 THEN '' ELSE format('Phrase %s-%s', lpad(c::text, 2, '0'), lpad(p::text, 2, '0')) END,
       CASE WHEN p = 0 THEN '' ELSE format(E'Dear customer,\r\nthank you for your message %s/%s. '
            'We will get back to you within two working days.\r\nKind regards', c, p) END
FROM generate_series(0, 64) p, generate_series(0, 63) c ORDER BY p, c" -c "VACUUM ANALYZE phrase"

python3 "$here/delay-proxy.py" 0 127.0.0.1 "$port" 5 >"$work/proxy.port" &
proxy=$!
for _ in $(seq 50); do [ -s "$work/proxy.port" ] && break; sleep 0.1; done
delayed=$(head -n 1 "$work/proxy.port")
connection() { echo "DRIVER={PostgreSQL ANSI};SERVER=127.0.0.1;PORT=$1;DATABASE=bench;UID=talvory_test_editor"; }

echo "Tray menu, 64 categories of 64 phrases: medians of $rounds openings (ms)"
printf '%-28s %10s %14s\n' "" "unchanged" "after a change"
declare -A unchanged changed
for link in straight delayed; do
    [ $link = straight ] && p=$port || p=$delayed
    line=$(cd "$work" && wine "$bin/menu_bench.exe" "$rounds" "$(connection "$p")" 2>/dev/null | grep '^INPROC')
    unchanged[$link]=$(sed -n 's/.* open=\([0-9.]*\).*/\1/p' <<<"$line")
    changed[$link]=$(sed -n 's/.*opened-after-change=\([0-9.]*\).*/\1/p' <<<"$line")
    printf '%-28s %10s %14s\n' "$link$([ $link = delayed ] && echo ' (5 ms each way)')" "${unchanged[$link]}" "${changed[$link]}"
done
python3 - "${unchanged[straight]}" "${unchanged[delayed]}" "${changed[straight]}" "${changed[delayed]}" <<'PY'
import sys
us, ud, cs, cd = map(float, sys.argv[1:])
for what, s, d in (("unchanged", us, ud), ("after a change", cs, cd)):
    verdict = "meets" if d <= 2 * s and d <= 100 else "misses"
    print(f"{what}: through the link {d / s:.2f}x straight, {d:.1f} ms ({verdict} the goal: at most 2x and 100 ms)")
PY

echo
echo "A team at work: 50 clients, 5 of them changing a phrase every $edit_ms ms, $seconds s"
(cd "$work" && wine "$bin/team_load.exe" "$(connection "$port")" 50 5 "$seconds" 100 "$edit_ms" 2>/dev/null) || true
