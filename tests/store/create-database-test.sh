#!/bin/bash
# tools/create-database.sh: an empty and an example database, never overwriting a file.
set -u
tool=$1
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-create-db.XXXXXX")
trap 'rm -rf "$work"' EXIT

db=$work/new/database/phrases.mdb
"$tool" "$db" >/dev/null || fail "creating an empty database in a new folder"
sqlite3 "$db" "INSERT INTO phrase (category) VALUES ('a'); INSERT INTO phrase (category) VALUES ('b');
               DELETE FROM phrase WHERE PhraseID = 2; INSERT INTO phrase (category) VALUES ('c');"
[ "$(sqlite3 "$db" "SELECT group_concat(PhraseID) FROM phrase")" = "1,3" ] ||
    fail "PhraseID is not assigned by the database, or a deleted one is handed out again"

before=$(sha1sum "$db")
for option in "" --examples; do
    if "$tool" $option "$db" >/dev/null 2>"$work/err"; then fail "overwrote an existing database ($option)"; fi
    grep -q "already exists" "$work/err" || fail "no clear message when refusing: $(cat "$work/err")"
done
[ "$(sha1sum "$db")" = "$before" ] || fail "the existing database changed"
if "$tool" --bogus "$work/x.mdb" >/dev/null 2>&1 || [ -e "$work/x.mdb" ]; then fail "accepted an unknown option"; fi

# Every example category has its category row; apostrophes are stored as 0xAC 0x60.
ex=$work/examples.mdb
"$tool" --examples "$ex" >/dev/null || fail "creating the example database"
q() { sqlite3 "$ex" "$1"; }
[ "$(q "SELECT COUNT(*) FROM phrase WHERE code = '' AND content = ''")" = "$(q "SELECT COUNT(DISTINCT category) FROM phrase")" ] ||
    fail "not every example category has its category row"
[ "$(q "SELECT COUNT(*) FROM phrase WHERE instr(CAST(content AS BLOB), X'AC60') > 0")" -ge 1 ] ||
    fail "no example phrase with a stored apostrophe"
[ "$(q "SELECT COUNT(*) FROM phrase WHERE instr(content, '''') > 0 OR typeof(content) <> 'text'")" = 0 ] ||
    fail "an example text holds a plain apostrophe or is not text"

[ $failures -eq 0 ] && echo "create-database.sh: all checks passed"
exit $((failures > 0))
