#!/bin/bash
# The find window's benchmark. For each size of phrase library it prepares a
# database, then runs bench/find_bench.cpp in process (reading, a keystroke by
# each approach, the list refilled and painted) and as a driver from outside
# (Ctrl+Alt+F to the window on screen, a keystroke, Talvory's working set).
# See bench/README.md, Find.
#
#   bench/find-run.sh [--rounds N] [--sizes "N ..."]   (default: 5 rounds; 10000 100000 phrases)
#   TALVORY_BUILD_DIR as for the build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rounds=5 sizes="10000 100000"
while [ $# -gt 0 ]; do
    case $1 in
        --rounds) rounds=$2; shift 2 ;;
        --sizes) sizes=$2; shift 2 ;;
        *) echo "usage: $0 [--rounds N] [--sizes \"N ...\"]" >&2; exit 2 ;;
    esac
done
source "$here/bench-setup.sh" find_bench Talvory
unset TALVORY_ODBC_TRACE TALVORY_ODBC_CONNECT_LOG
bin=$TALVORY_BUILD_DIR/bin

# $2 phrases in $2 / 200 categories, each with its category row; texts of
# about 110 bytes with a few words that vary ("spring", "kind"...), one in
# five with a stored apostrophe.
make_database() {
    local categories=$(( $2 / 200 ))
    "$root/tools/create-database.sh" "$1" >/dev/null
    sqlite3 "$1" "
WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < $categories - 1)
INSERT INTO phrase (category, code, content) SELECT printf('Category %03d', i), '', '' FROM c;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $2 - 1)
INSERT INTO phrase (category, code, content)
SELECT printf('Category %03d', i % $categories), printf('Phrase %05d', i),
       printf('Dear customer,' || char(13, 10) || 'thank you for your message %d about the %s order. %s regards',
              i, CASE i % 4 WHEN 0 THEN 'spring' WHEN 1 THEN 'summer' WHEN 2 THEN 'autumn' ELSE 'winter' END,
              CASE i % 5 WHEN 0 THEN 'We' || CAST(X'AC60' AS TEXT) || 'll send kind' ELSE 'Warm' END)
FROM n;"
}

echo "Find window benchmark: $rounds rounds per size" >&2
for size in $sizes; do
    dir=$work/$size
    mkdir -p "$dir/database"
    make_database "$dir/database/phrases.mdb" "$size"
    cp "$bin/Talvory.exe" "$dir/"
    echo "== $size phrases"
    (cd "$dir" && wine "$bin/find_bench.exe" inproc "$rounds" 2>/dev/null)
    (cd "$dir" && wine "$bin/find_bench.exe" driver "$(winepath -w "$dir")" "$rounds" 2>/dev/null)
done
