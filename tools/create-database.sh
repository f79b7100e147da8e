#!/bin/bash
# Creates a Talvory phrase database: the table `phrase` with its index, empty
# or (with --examples) holding a few example categories and phrases.
#
#   tools/create-database.sh [--examples] PATH
#
# The file is an SQLite database, which the program reaches through its
# Access-style ODBC connection. An existing file is never overwritten.
set -euo pipefail

usage() {
    echo "usage: $(basename "$0") [--examples] PATH" >&2
    exit 2
}

examples=0
path=
for arg in "$@"; do
    case $arg in
        --examples) examples=1 ;;
        -h|--help) usage ;;
        -*) echo "$(basename "$0"): unknown option $arg" >&2; usage ;;
        *) [ -n "$path" ] && usage; path=$arg ;;
    esac
done
[ -n "$path" ] || usage

if [ -e "$path" ] || [ -L "$path" ]; then
    echo "$(basename "$0"): $path already exists; not overwriting it" >&2
    exit 1
fi
if ! command -v sqlite3 >/dev/null; then
    echo "$(basename "$0"): sqlite3 is needed (apt-get install sqlite3)" >&2
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

# Example rows. Each category has its category row (empty code and content),
# as the Add Category dialog writes it. An apostrophe in phrase text is stored
# as the bytes 0xAC 0x60, as the Add Phrase dialog stores it.
crlf="char(13, 10)"
apostrophe="CAST(X'AC60' AS TEXT)"
example_rows="
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
"

sql="BEGIN; $schema"
[ $examples -eq 1 ] && sql="$sql $example_rows"
# Readers never wait behind a writer in SQLite's write-ahead-log mode, which
# is stored in the file.
sql="$sql COMMIT; PRAGMA journal_mode=WAL;"

if ! sqlite3 -bail "$partial" "$sql"; then
    echo "$(basename "$0"): could not create the database" >&2
    exit 1
fi
# Refuse once more at the last moment, without ever replacing a file.
if ! ln "$partial" "$path" 2>/dev/null; then
    echo "$(basename "$0"): $path already exists; not overwriting it" >&2
    exit 1
fi
echo "Created $path$([ $examples -eq 1 ] && echo ' with example phrases')"
