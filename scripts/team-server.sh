#!/bin/bash
# Runs a local PostgreSQL 15 server for the team library: to try it out, or
# (with --for-tests) for scripts/test.sh.
#
#   scripts/team-server.sh start|stop|status [--data DIR] [--for-tests]
#
# DIR (build/team-server unless given) holds the cluster (cluster/), the
# port it listens on (port: a free one, found at the first start and again
# should another program have taken it meanwhile), its Unix socket, the
# server's log (server.log) and this script's (team-server.log). The server
# listens on 127.0.0.1 only, and runs as an unprivileged user, as initdb and
# pg_ctl demand: the current user, or for root the Debian user postgres.
#
# The trial: a database talvory with the example phrases and two users, anna
# (talvory_editor) and ben (talvory_reader), with random passwords in the
# libpq password file DIR/pgpass; TCP logins use scram-sha-256.
# --for-tests: TCP connections are trusted (tests only), durability is off,
# and it holds a database talvory_template (no examples) and the login roles
# talvory_test_admin (a superuser, which creates each test's database from the
# template), talvory_test_editor and talvory_test_reader.
#
# start prints one line per stage, then how to connect; on a running server it
# only prints how to connect. status exits 0 when the server runs, 3 when not.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
me=$(basename "$0")

usage() {
    echo "usage: $me start|stop|status [--data DIR] [--for-tests]" >&2
    exit 2
}
command=${1:-}
[ $# -eq 0 ] || shift
data=$root/build/team-server
for_tests=0
while [ $# -gt 0 ]; do
    case $1 in
        --data) [ $# -ge 2 ] || usage; data=$2; shift 2 ;;
        --for-tests) for_tests=1; shift ;;
        *) usage ;;
    esac
done
case $command in start|stop|status) ;; *) usage ;; esac
data=$(realpath -m "$data")
log=$data/team-server.log
bin=/usr/lib/postgresql/15/bin
if [ ! -x "$bin/pg_ctl" ]; then
    echo "$me: PostgreSQL 15 is not installed (scripts/install-deps.sh installs it)." >&2
    exit 1
fi

if [ "$(id -u)" -eq 0 ]; then
    server_user=postgres
    if ! id -u postgres >/dev/null 2>&1; then
        echo "$me: there is no user postgres to run the server as (postgresql-common creates it)." >&2
        exit 1
    fi
    as_server() { (cd / && runuser -u postgres -- "$@"); }
else
    server_user=$(id -un)
    as_server() { "$@"; }
fi
pg_ctl() { as_server "$bin/pg_ctl" -D "$data/cluster" "$@"; }
running() { pg_ctl status >/dev/null 2>&1; }

if [ $for_tests -eq 1 ]; then
    database=talvory_template
else
    database=talvory
fi

connection() {
    local port
    port=$(cat "$data/port")
    if [ $for_tests -eq 1 ]; then
        echo "PostgreSQL for the tests runs on 127.0.0.1:$port (TCP logins trusted; database $database;" \
            "roles talvory_test_admin, talvory_test_editor, talvory_test_reader)."
        return
    fi
    echo "The team library runs on 127.0.0.1:$port (data in $data). Talvory's ODBC connection string:"
    echo "  DRIVER={PostgreSQL ANSI};SERVER=127.0.0.1;PORT=$port;DATABASE=$database;UID=anna"
    echo "(UID=ben: read only.) The passwords are in a libpq password file, which psqlODBC and psql read when"
    echo "PGPASSFILE=$data/pgpass is set, for example:"
    echo "  PGPASSFILE=$data/pgpass psql \"host=127.0.0.1 port=$port dbname=$database user=anna\""
}

case $command in
    status)
        if running; then
            echo "PostgreSQL runs on 127.0.0.1:$(cat "$data/port") (data in $data)."
            exit 0
        fi
        echo "PostgreSQL is not running (data in $data)."
        exit 3 ;;
    stop)
        if ! running; then
            echo "PostgreSQL is not running (data in $data)."
            exit 0
        fi
        echo "Stopping PostgreSQL (data in $data)…"
        if ! pg_ctl stop -m fast -w >>"$log" 2>&1 && ! pg_ctl stop -m immediate -w >>"$log" 2>&1; then
            echo "$me: stopping PostgreSQL failed; see $log and $data/server.log." >&2
            exit 1
        fi
        exit 0 ;;
esac

if running && [ -f "$data/prepared" ]; then
    connection
    exit 0
fi

# The data folder belongs to the server's user, who must reach it: a parent
# folder that it cannot enter is reported, not changed.
mkdir -p "$data"
[ "$server_user" = "$(id -un)" ] || chown "$server_user:" "$data"
chmod 700 "$data"
if ! as_server test -w "$data" -a -x "$data"; then
    folder=$data
    while [ "$folder" != / ]; do
        folder=$(dirname "$folder")
        if ! as_server test -x "$folder"; then
            echo "$me: the user $server_user, who runs PostgreSQL, cannot enter $folder (a parent of $data):" \
                "let it in (for example chmod o+x $folder) or choose another --data." >&2
            exit 1
        fi
    done
    echo "$me: the user $server_user, who runs PostgreSQL, cannot write to $data." >&2
    exit 1
fi
: >"$log"

started=0
# stage MESSAGE COMMAND...: one line, the command's output into the log. When
# it fails: one line, and a server started here is stopped again.
stage() {
    local message=$1
    shift
    echo "$message…"
    "$@" >>"$log" 2>&1 && return 0
    echo "$me: ${message,} failed; see $log and $data/server.log." >&2
    [ $started -eq 0 ] || pg_ctl stop -m fast -w >>"$log" 2>&1 || pg_ctl stop -m immediate >>"$log" 2>&1 || true
    exit 1
}

create_cluster() {
    local auth=scram-sha-256
    [ $for_tests -eq 0 ] || auth=trust
    rm -rf "$data/cluster" &&
    as_server "$bin/initdb" -D "$data/cluster" --encoding=UTF8 --locale=C.UTF-8 \
        --auth-local=peer --auth-host=$auth --no-instructions &&
    printf '%s\n' "listen_addresses = '127.0.0.1'" "unix_socket_directories = '$data'" \
        >>"$data/cluster/postgresql.conf" || return 1
    if [ $for_tests -eq 1 ]; then
        printf '%s\n' "fsync = off" "synchronous_commit = off" "full_page_writes = off" \
            >>"$data/cluster/postgresql.conf"
    fi
}
[ -f "$data/cluster/PG_VERSION" ] || stage "Creating a PostgreSQL cluster in $data/cluster" create_cluster

# The port of the last start while it is free, else any free one.
free_port() {
    python3 - "$@" <<'PY'
import socket, sys
def bindable(port):
    with socket.socket() as s:
        try:
            s.bind(("127.0.0.1", port))
        except OSError:
            return None
        return s.getsockname()[1]
previous = int(sys.argv[1] or 0)
print(previous and bindable(previous) or bindable(0))
PY
}
if ! running; then
    port=$(free_port "$(cat "$data/port" 2>/dev/null || true)")
    echo "$port" >"$data/port"
    started=1
    stage "Starting PostgreSQL on 127.0.0.1:$port" \
        pg_ctl start -w -t 60 -l "$data/server.log" -o "-p $port"
fi
port=$(cat "$data/port")

admin_sql() {
    as_server psql -X -q -v ON_ERROR_STOP=1 -h "$data" -p "$port" -d postgres \
        -c "SET client_min_messages = warning" -f -
}
prepare_database() {
    local options=(--postgresql)
    [ $for_tests -eq 1 ] || options+=(--examples)
    admin_sql <<<"SELECT 'CREATE DATABASE $database' WHERE NOT EXISTS
        (SELECT FROM pg_database WHERE datname = '$database') \\gexec" &&
    as_server "$root/tools/create-database.sh" "${options[@]}" "host=$data port=$port dbname=$database" &&
    if [ $for_tests -eq 1 ]; then admin_sql <<<"ALTER DATABASE $database IS_TEMPLATE true"; fi
}

# login_role NAME ATTRIBUTES: the statements creating a login role once.
login_role() {
    echo "SELECT 'CREATE ROLE $1 LOGIN $2' WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '$1') \\gexec"
}
password() { od -An -N16 -tx1 /dev/urandom | tr -d ' \n'; }
create_users() {
    local anna ben
    anna=$(password) && ben=$(password) &&
    admin_sql <<SQL &&
$(login_role anna "")
$(login_role ben "")
ALTER ROLE anna PASSWORD '$anna';
ALTER ROLE ben PASSWORD '$ben';
GRANT talvory_editor TO anna;
GRANT talvory_reader TO ben;
SQL
    (umask 077 && printf '127.0.0.1:*:%s:%s:%s\n' "$database" anna "$anna" "$database" ben "$ben" \
        >"$data/pgpass")
}
create_test_roles() {
    admin_sql <<SQL
$(login_role talvory_test_admin SUPERUSER)
$(login_role talvory_test_editor "IN ROLE talvory_editor")
$(login_role talvory_test_reader "IN ROLE talvory_reader")
SQL
}
# Once, however many starts it takes to get through.
if [ ! -f "$data/prepared" ]; then
    stage "Preparing the database $database" prepare_database
    if [ $for_tests -eq 1 ]; then
        stage "Creating the tests' login roles" create_test_roles
    else
        stage "Creating the users anna (editor) and ben (reader)" create_users
    fi
    touch "$data/prepared"
fi
connection
