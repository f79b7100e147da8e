#!/bin/bash
# The emulator CTest runs each cross-built test program with (the first
# argument names the program's width, i686 or x86_64, set by the toolchain
# file, so that Wine's loader of that width runs it): a fresh
# temporary working folder per run (the Unix working directory, against which
# the ODBC driver resolves the program's relative database path), then Wine.
# The program sees that folder as TALVORY_TEST_DIR (a Unix path); the ODBC
# driver adapter notes each connection the program makes in
# $TALVORY_TEST_DIR/odbc-connections.log (TALVORY_ODBC_CONNECT_LOG) and has
# the driver trace the program's statements into
# $TALVORY_TEST_DIR/odbc-trace.log (TALVORY_ODBC_TRACE).
set -u
export TALVORY_ARCH=$1
source "$(dirname "$0")/wine-env.sh"
program=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-run.XXXXXX")
cd "$work"
export TALVORY_TEST_DIR=$work
export TALVORY_ODBC_CONNECT_LOG=$work/odbc-connections.log
export TALVORY_ODBC_TRACE=$work/odbc-trace.log
# The program's output goes through files, not straight to the caller: Wine's
# system processes (explorer, services...) started by this program inherit
# its output handles and outlive it while other Wine programs run, so a pipe
# of the caller (CTest) would stay open until every Wine program had ended.
out=$(mktemp "${TMPDIR:-/tmp}/talvory-out.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/talvory-err.XXXXXX")
wine "$program" "$@" >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2
cd /
# A test that made a file or folder immutable (a read-only database) and
# ended before undoing it leaves it behind otherwise.
chattr -R -i "$work" 2>/dev/null
chmod -R u+w "$work" 2>/dev/null
rm -rf "$work" "$out" "$err"
exit $status
