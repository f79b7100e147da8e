#!/bin/bash
# tools/create-database.sh: the empty database, the example database, and
# its refusal to overwrite a file.
set -u
tool=$1
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
query() { sqlite3 "$1" "$2"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-create-db.XXXXXX")
trap 'rm -rf "$work"' EXIT

# An empty database in a folder that does not exist yet.
"$tool" "$work/new/database/phrases.mdb" >/dev/null || fail "creating an empty database"
db=$work/new/database/phrases.mdb
[ "$(query "$db" "SELECT COUNT(*) FROM phrase")" = 0 ] || fail "the empty database has rows"
query "$db" "INSERT INTO phrase (category, code, content) VALUES ('Greetings', 'Hello', 'Hello,');
             INSERT INTO phrase (category, code, content) VALUES ('greetings', 'HELLO', 'Hi');"
[ "$(query "$db" "SELECT group_concat(PhraseID) FROM phrase")" = "1,2" ] || fail "PhraseID is not assigned by the database"
[ "$(query "$db" "SELECT COUNT(*) FROM phrase WHERE category = 'GREETINGS' AND code = 'hello'")" = 2 ] ||
    fail "names do not compare without regard to case"
query "$db" "DELETE FROM phrase WHERE PhraseID = 2; INSERT INTO phrase (category) VALUES ('x');"
[ "$(query "$db" "SELECT MAX(PhraseID) FROM phrase")" = 3 ] || fail "a deleted PhraseID is handed out again"
query "$db" "EXPLAIN QUERY PLAN SELECT code, PhraseID FROM phrase WHERE category = 'x' ORDER BY code ASC" |
    grep -q "USING COVERING INDEX" || fail "the menu's query does not use the (category, code) index"

# Never overwrites: neither the file nor its contents change.
before=$(sha1sum "$db")
if "$tool" "$db" >/dev/null 2>"$work/err"; then fail "overwrote an existing database"; fi
grep -q "already exists" "$work/err" || fail "no clear message when refusing: $(cat "$work/err")"
[ "$(sha1sum "$db")" = "$before" ] || fail "the existing database changed"
if "$tool" --examples "$db" >/dev/null 2>&1; then fail "overwrote an existing database with examples"; fi
[ "$(sha1sum "$db")" = "$before" ] || fail "the existing database changed"

# The examples: categories with their category rows, phrases, and the stored apostrophe.
"$tool" --examples "$work/examples.mdb" >/dev/null || fail "creating the example database"
ex=$work/examples.mdb
categories=$(query "$ex" "SELECT COUNT(DISTINCT category) FROM phrase")
[ "$categories" -ge 3 ] || fail "only $categories example categories"
[ "$(query "$ex" "SELECT COUNT(*) FROM phrase WHERE code = '' AND content = ''")" = "$categories" ] ||
    fail "not every example category has its category row"
[ "$(query "$ex" "SELECT COUNT(*) FROM phrase WHERE code <> ''")" -ge 6 ] || fail "too few example phrases"
[ "$(query "$ex" "SELECT COUNT(*) FROM phrase WHERE instr(CAST(content AS BLOB), X'AC60') > 0")" -ge 1 ] ||
    fail "no example phrase with a stored apostrophe (0xAC 0x60)"
[ "$(query "$ex" "SELECT COUNT(*) FROM phrase WHERE instr(content, '''') > 0")" = 0 ] ||
    fail "an example phrase holds a plain apostrophe"
[ "$(query "$ex" "SELECT COUNT(*) FROM phrase WHERE typeof(content) <> 'text'")" = 0 ] || fail "an example text is not text"

# Usage errors.
if "$tool" >/dev/null 2>&1; then fail "ran without a path"; fi
if "$tool" --bogus "$work/x.mdb" >/dev/null 2>&1; then fail "accepted an unknown option"; fi
[ ! -e "$work/x.mdb" ] || fail "created a file despite a usage error"

[ $failures -eq 0 ] && echo "create-database.sh: all checks passed"
exit $((failures > 0))
