#!/bin/bash
# Builds and runs the tray menu's benchmark under Wine for several sizes of
# phrase library: from the tray notification to the menu on screen, and from
# the choice of a phrase to its text on the clipboard.
#
#   bench/menu-run.sh [REPEATS]   (default 20; TALVORY_BUILD_DIR as for the build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repeats=${1:-20}
source "$here/bench-setup.sh" menu_bench

echo "Tray menu (median of $repeats openings each):"
# phrases and categories of each library
for size in "64 1" "256 4" "1024 16" "4096 16" "4096 64" "4096 256"; do
    set -- $size
    phrases=$1 categories=$2
    mkdir -p "$work/$phrases-$categories/database"
    db="$work/$phrases-$categories/database/phrases.mdb"
    "$root/tools/create-database.sh" "$db" >/dev/null
    sqlite3 "$db" "
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $phrases - 1)
INSERT INTO phrase (category, code, content)
SELECT printf('Category %03d', i % $categories), printf('Phrase %05d', i),
       printf('Dear customer,' || char(13, 10) || 'thank you for your message %d. We will get back to you soon.', i)
FROM n;"
    (cd "$work/$phrases-$categories" && wine "$TALVORY_BUILD_DIR/bin/menu_bench.exe" "$repeats")
done
