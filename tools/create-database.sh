#!/bin/bash
# Creates a Talvory phrase database: the table `phrase` with its index, empty
# or (with --examples) holding a few example categories and phrases.
#
#   tools/create-database.sh [--examples] PATH
#   tools/create-database.sh [--examples] --postgresql "CONNINFO"
#
# PATH: an SQLite database file, which the program reaches through its
# Access-style ODBC connection. An existing file is never overwritten.
#
# --postgresql: a team library in an existing PostgreSQL database, named by a
# libpq connection string ("host=... port=... dbname=... user=..."); the usage
# text below says what it creates. Running it again changes nothing.
set -euo pipefail
me=$(basename "$0")

usage() {
    cat >&2 <<USAGE
usage: $me [--examples] PATH
       $me [--examples] --postgresql "CONNINFO"

--postgresql prepares an existing PostgreSQL database for a team library
(connect as its owner, with the right to create roles, or as a superuser):
the extension citext, the table phrase and two group roles,
  talvory_editor  reads and changes phrases
  talvory_reader  reads them only
An administrator then lets people in, for example:
  CREATE ROLE anna LOGIN PASSWORD '...';
  GRANT talvory_editor TO anna;
--examples adds the example phrases only to an empty table.
USAGE
    exit 2
}

examples=0
postgresql=0
target=
for arg in "$@"; do
    case $arg in
        --examples) examples=1 ;;
        --postgresql) postgresql=1 ;;
        -h|--help) usage ;;
        -*) echo "$me: unknown option $arg" >&2; usage ;;
        *) [ -n "$target" ] && usage; target=$arg ;;
    esac
done
[ -n "$target" ] || usage

# Example rows. Each category has its category row (empty code and content),
# as the Add Category dialog writes it. An apostrophe in phrase text is stored
# as the bytes 0xAC 0x60 of Windows-1252, as the Add Phrase dialog stores it.
# $crlf and $apostrophe are each database's expressions for them.
example_rows() {
    local crlf=$1 apostrophe=$2
    cat <<ROWS
INSERT INTO phrase (category, code, content) VALUES ('Greetings', '', '');
INSERT INTO phrase (category, code, content) VALUES ('Greetings', 'Hello', 'Hello,' || $crlf || $crlf);
INSERT INTO phrase (category, code, content) VALUES ('Greetings', 'Dear Sir or Madam', 'Dear Sir or Madam,' || $crlf || $crlf);
INSERT INTO phrase (category, code, content) VALUES ('Greetings', 'Good morning', 'Good morning everyone,' || $crlf || $crlf);
INSERT INTO phrase (category, code, content) VALUES ('Sign-offs', '', '');
INSERT INTO phrase (category, code, content) VALUES ('Sign-offs', 'Kind regards', $crlf || 'Kind regards,' || $crlf || 'Anna Berg');
INSERT INTO phrase (category, code, content) VALUES ('Sign-offs', 'Best wishes', $crlf || 'Best wishes,' || $crlf || 'Anna');
INSERT INTO phrase (category, code, content) VALUES ('Sign-offs', 'Thanks in advance', $crlf || 'Thanks in advance for your help.' || $crlf || 'Anna');
INSERT INTO phrase (category, code, content) VALUES ('Addresses', '', '');
INSERT INTO phrase (category, code, content) VALUES ('Addresses', 'Office', 'Berg & Lind Consulting' || $crlf || '12 Harbour Street' || $crlf || 'Leith, Edinburgh EH6 6LT');
INSERT INTO phrase (category, code, content) VALUES ('Addresses', 'Home', '4 Willow Lane' || $crlf || 'Portobello' || $crlf || 'Edinburgh EH15 1AB');
INSERT INTO phrase (category, code, content) VALUES ('Addresses', 'E-mail', 'anna.berg@example.org');
INSERT INTO phrase (category, code, content) VALUES ('Replies', '', '');
INSERT INTO phrase (category, code, content) VALUES ('Replies', 'Out of office', 'Thank you for your message. I' || $apostrophe || 'm out of the office until Monday and will reply as soon as I' || $apostrophe || 'm back.');
INSERT INTO phrase (category, code, content) VALUES ('Replies', 'Received', 'Thank you, I have received your documents and will look at them this week.');
INSERT INTO phrase (category, code, content) VALUES ('Replies', 'Meeting', 'Would Tuesday at 10:00 suit you for a short call?');
ROWS
}

if [ $postgresql -eq 1 ]; then
    if ! command -v psql >/dev/null; then
        echo "$me: psql is needed (apt-get install postgresql-client-15)" >&2
        exit 1
    fi
    # Names compare without regard to case (citext), as in Access. The
    # unique constraint keeps two people who add the same shortcut at the
    # same moment from making twins; its index, which also holds PhraseID,
    # hands the tray menu its rows in order without sorting them or reading
    # the table. PhraseID is assigned by the database unless a statement
    # gives one. phrase_revision counts the statements that changed the
    # phrases: a Talvory that finds it unchanged since its last menu reads
    # no rows again. Everything is created only when missing (the function
    # and trigger are replaced), in one transaction.
    # chr(172) || chr(96) is 0xAC 0x60 in Windows-1252: U+00AC U+0060 in a
    # UTF-8 database, whatever the client's encoding.
    sql="
SET client_min_messages = warning;
CREATE EXTENSION IF NOT EXISTS citext;
CREATE TABLE IF NOT EXISTS phrase (
    PhraseID bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    category citext,
    code citext,
    content text,
    CONSTRAINT phrase_category_code UNIQUE (category, code) INCLUDE (PhraseID)
);
CREATE TABLE IF NOT EXISTS phrase_revision (revision bigint NOT NULL);
INSERT INTO phrase_revision SELECT 0 WHERE NOT EXISTS (SELECT FROM phrase_revision);
CREATE OR REPLACE FUNCTION phrase_count_revision() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path FROM CURRENT
    AS \$\$ BEGIN UPDATE phrase_revision SET revision = revision + 1; RETURN NULL; END \$\$;
CREATE OR REPLACE TRIGGER phrase_count_revision AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON phrase
    FOR EACH STATEMENT EXECUTE FUNCTION phrase_count_revision();
SELECT 'CREATE ROLE talvory_editor NOLOGIN'
    WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'talvory_editor') \\gexec
SELECT 'CREATE ROLE talvory_reader NOLOGIN'
    WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'talvory_reader') \\gexec
GRANT SELECT, INSERT, UPDATE, DELETE ON phrase TO talvory_editor;
GRANT USAGE ON SEQUENCE phrase_phraseid_seq TO talvory_editor;
GRANT SELECT ON phrase TO talvory_reader;
GRANT SELECT ON phrase_revision TO talvory_editor, talvory_reader;
"
    if [ $examples -eq 1 ]; then
        sql="$sql
SELECT NOT EXISTS (SELECT FROM phrase) AS empty \\gset
\\if :empty
$(example_rows "chr(13) || chr(10)" "chr(172) || chr(96)")
\\endif
"
    fi
    if ! psql -X -q -v ON_ERROR_STOP=1 --single-transaction -d "$target" -f - <<<"$sql" >/dev/null; then
        echo "$me: could not prepare the PostgreSQL database (psql's message above)" >&2
        exit 1
    fi
    echo "Prepared the PostgreSQL database$([ $examples -eq 1 ] && echo ' (example phrases where it had none)')"
    exit 0
fi

path=$target
if [ -e "$path" ] || [ -L "$path" ]; then
    echo "$me: $path already exists; not overwriting it" >&2
    exit 1
fi
if ! command -v sqlite3 >/dev/null; then
    echo "$me: sqlite3 is needed (apt-get install sqlite3)" >&2
    exit 1
fi

folder=$(dirname "$path")
mkdir -p "$folder"
partial=$(mktemp "$folder/.phrases.XXXXXX")
trap 'rm -f "$partial"' EXIT
rm -f "$partial"

# PhraseID is assigned by the database (AutoNumber); names compare without
# regard to case, as in Access.
schema="
CREATE TABLE phrase (
    PhraseID INTEGER PRIMARY KEY AUTOINCREMENT,
    category TEXT COLLATE NOCASE,
    code TEXT COLLATE NOCASE,
    content TEXT
);
CREATE INDEX phrase_category_code ON phrase (category, code);
"

sql="BEGIN; $schema"
[ $examples -eq 1 ] && sql="$sql $(example_rows "char(13, 10)" "CAST(X'AC60' AS TEXT)")"
# The file stays in SQLite's default rollback journal: each change is in the
# file itself once committed, with no side file that a copy could miss.
sql="$sql COMMIT;"

if ! sqlite3 -bail "$partial" "$sql"; then
    echo "$me: could not create the database" >&2
    exit 1
fi
# Refuse once more at the last moment, without ever replacing a file.
if ! ln "$partial" "$path" 2>/dev/null; then
    echo "$me: $path already exists; not overwriting it" >&2
    exit 1
fi
echo "Created $path$([ $examples -eq 1 ] && echo ' with example phrases')"
