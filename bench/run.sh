#!/bin/bash
# Builds and runs the phrase-store benchmark: the store's operations through
# ODBC under Wine, against the same statements run natively with the sqlite3
# library (the floor), on a table of 4,096 phrases in 64 categories. Prints
# the fastest and median times and the ratio of the medians.
#
#   bench/run.sh [REPEATS [ROUNDS]]   (defaults 30 and 3; TALVORY_BUILD_DIR as for the build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repeats=${1:-30}
rounds=${2:-3}
source "$here/bench-setup.sh" store_bench
unset TALVORY_ODBC_TRACE TALVORY_ODBC_CONNECT_LOG

floor_bin=$TALVORY_BUILD_DIR/bench/native_floor
if ! cmake --build "$TALVORY_BUILD_DIR" --target native_floor >/dev/null 2>&1 || [ ! -x "$floor_bin" ]; then
    echo "The native floor needs the host's sqlite3 headers: apt-get install libsqlite3-dev" >&2
    exit 1
fi

# 64 categories, each with its category row and 63 phrases, added in an
# interleaved order as phrases accumulate over time.
"$root/tools/create-database.sh" "$work/bench.mdb" >/dev/null
sqlite3 "$work/bench.mdb" "
WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < 63),
               p(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM p WHERE j < 63)
INSERT INTO phrase (category, code, content)
SELECT printf('Category %02d', i),
       CASE WHEN j = 0 THEN '' ELSE printf('Phrase %02d-%02d', i, j) END,
       CASE WHEN j = 0 THEN '' ELSE printf('Dear customer,' || char(13, 10) || 'thank you for your message %d/%d. '
            || 'We will get back to you within two working days.' || char(13, 10) || 'Kind regards', i, j) END
FROM p, c ORDER BY j, i;"

mkdir -p "$work/odbc/database" "$work/native"
cp "$work/bench.mdb" "$work/odbc/database/phrases.mdb"
cp "$work/bench.mdb" "$work/native/phrases.mdb"

# The two programs take turns, several rounds, so that both see the same
# machine load; each figure is the best of the rounds.
for round in $(seq "$rounds"); do
    (cd "$work/odbc" && wine "$TALVORY_BUILD_DIR/bin/store_bench.exe" "$repeats" >"$work/odbc.$round.txt" \
        2>"$work/odbc.err") || {
        cat "$work/odbc.err" >&2
        exit 1
    }
    "$floor_bin" "$work/native/phrases.mdb" "$repeats" >"$work/native.$round.txt"
done

echo "Phrase store on 4,096 phrases in 64 categories: $rounds rounds of $repeats samples (microseconds)"
python3 - "$work" "$rounds" <<'PY'
import sys

def read(kind):
    rows = {}
    for round in range(1, int(sys.argv[2]) + 1):
        for line in open(f"{sys.argv[1]}/{kind}.{round}.txt"):
            line = line.rstrip('\n')
            name, fastest, median = line[:34].strip(), *map(float, line[34:].split())
            best = rows.get(name, (fastest, median))
            rows[name] = (min(best[0], fastest), min(best[1], median))
    return rows

odbc, native = read("odbc"), read("native")
print(f"{'operation':34} {'ODBC/Wine':>20} {'native sqlite3':>20} {'ratio':>7}")
print(f"{'':34} {'fastest':>9} {'median':>10} {'fastest':>9} {'median':>10} {'median':>7}")
print("(fastest: the fastest sample of all rounds; median: the lowest median of the rounds)")
for name, (fastest, median) in odbc.items():
    if name not in native:
        print(f"{name:34} {fastest:9.1f} {median:10.1f} {'-':>9} {'-':>10} {'-':>7}")
        continue
    nf, nm = native[name]
    print(f"{name:34} {fastest:9.1f} {median:10.1f} {nf:9.1f} {nm:10.1f} {median / nm:6.1f}x")
menu = odbc["Menu: 64 ForEachCategoryPhrase"][1]
floor = native["Menu: 64 ForEachCategoryPhrase"][1]
verdict = "meets" if menu < 6000 and menu <= 4 * floor else "misses"
print(f"\nMenu query set: {menu / 1000:.2f} ms, {menu / floor:.1f}x the native floor "
      f"({verdict} the target: under 6 ms and within 4x)")
PY
