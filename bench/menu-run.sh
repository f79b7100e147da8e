#!/bin/bash
# The tray menu's benchmark. For each size of phrase library it starts three
# programs as processes of their own and measures them from outside, round by
# round in turns (bench/menu_driver.exe): a bare three-item tray menu
# (bench/bare_tray_menu.cpp), a plain program doing Talvory's job the plain
# way (bench/plain_tray_menu.cpp) and Talvory.exe itself. It then runs the
# in-process breakdown of Talvory's opening (bench/menu_bench.cpp) and prints
# the tables: opening times and their ratios, working sets, start-up to tray
# icon, choice to clipboard, and where Talvory's memory goes beyond the plain
# program's (by mapping, and step by step through its start-up:
# bench/startup_memory.cpp). See bench/README.md.
#
#   bench/menu-run.sh [options]
#     --rounds N       openings per program and size (default 9; medians are reported)
#     --starts N       start-ups per program and size (default 3)
#     --choices N      phrase choices per program and size (default 5)
#     --sizes "P:C..." phrases:categories (default: 64 1024 4096 16384 phrases
#                      by 16 64 256 categories)
#     --before EXE     also run EXE (an earlier Talvory.exe) as "before", in the
#                      same rounds, for a before/after comparison
#     --no-inproc      skip the in-process breakdowns (time and memory)
#     --keep DIR       keep every program's results and samples in DIR
#   TALVORY_BUILD_DIR as for the build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rounds=9 starts=3 choices=5 before= inproc=1 keep=
sizes=""
for p in 64 1024 4096 16384; do for c in 16 64 256; do sizes="$sizes $p:$c"; done; done
while [ $# -gt 0 ]; do
    case $1 in
        --rounds) rounds=$2; shift 2 ;;
        --starts) starts=$2; shift 2 ;;
        --choices) choices=$2; shift 2 ;;
        --sizes) sizes=$2; shift 2 ;;
        --before) before=$(realpath "$2"); shift 2 ;;
        --no-inproc) inproc=0; shift ;;
        --keep) keep=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
        *) echo "usage: $0 [--rounds N] [--starts N] [--choices N] [--sizes \"P:C ...\"] [--before EXE] [--no-inproc] [--keep DIR]" >&2
           exit 2 ;;
    esac
done
source "$here/bench-setup.sh" menu_driver bare_tray_menu plain_tray_menu Talvory menu_bench startup_memory
unset TALVORY_ODBC_TRACE TALVORY_ODBC_CONNECT_LOG
bin=$TALVORY_BUILD_DIR/bin

# A phrase database of $2 phrases in $3 categories at $1: each category has its
# category row, and phrases are added to the categories in turn, as they
# accumulate over time ("Phrase 00000" in "Category 000", "Phrase 00001" in
# "Category 001"...).
make_database() {
    "$root/tools/create-database.sh" "$1" >/dev/null
    sqlite3 "$1" "
WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < $3 - 1)
INSERT INTO phrase (category, code, content) SELECT printf('Category %03d', i), '', '' FROM c;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $2 - 1)
INSERT INTO phrase (category, code, content)
SELECT printf('Category %03d', i % $3), printf('Phrase %05d', i),
       printf('Dear customer,' || char(13, 10) || 'thank you for your message %d. We will get back to you soon.', i)
FROM n;"
}

programs=(bare=bare_tray_menu.exe plain=plain_tray_menu.exe talvory=Talvory.exe)
[ -n "$before" ] && programs+=(before=Talvory-before.exe)

echo "Tray menu benchmark: $rounds openings, $starts start-ups and $choices choices per program and size" >&2
for size in $sizes; do
    phrases=${size%:*} categories=${size#*:}
    dir=$work/$phrases-$categories
    mkdir -p "$dir/database"
    make_database "$dir/database/phrases.mdb" "$phrases" "$categories"
    # Beside the database: Talvory (and startup_memory, which starts up as
    # it does) finds its database in its own folder.
    cp "$bin/bare_tray_menu.exe" "$bin/plain_tray_menu.exe" "$bin/Talvory.exe" "$bin/startup_memory.exe" "$dir/"
    if [ -n "$before" ]; then
        # Its own single-instance mutex name, so that it can run beside Talvory.exe.
        python3 - "$before" "$dir/Talvory-before.exe" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
assert data.count(b'{8UASJRZDR1-') == 1, "the single-instance mutex name is not in the program"
open(sys.argv[2], 'wb').write(data.replace(b'{8UASJRZDR1-', b'{8UASJRZDR0-'))
PY
    fi
    echo "  $phrases phrases in $categories categories" >&2
    (cd "$dir" && wine "$bin/menu_driver.exe" "$(winepath -w "$dir")" "$rounds" "$starts" "$choices" \
        "${programs[@]}" >"$dir/driver.txt" 2>"$dir/driver.err") || {
        cat "$dir/driver.err" >&2
        exit 1
    }
    if [ "$inproc" = 1 ]; then
        (cd "$dir" && wine "$bin/menu_bench.exe" "$rounds" >"$dir/inproc.txt" 2>/dev/null) || true
        # Talvory's working set step by step (bench/startup_memory.cpp).
        (cd "$dir" && wine "$dir/startup_memory.exe" >"$dir/memory.txt" 2>/dev/null) || true
    fi
done

python3 "$here/menu-report.py" "$work" $sizes
if [ -n "$keep" ]; then
    (cd "$work" && find . -name '*.txt' -o -name '*.smaps' -o -name '*.status' | tar -cf - -T - | tar -xf - -C "$keep")
fi
