#!/bin/bash
# The emulator CTest runs each cross-built test program with: a fresh
# temporary working folder per run (the Unix working directory, against which
# the ODBC driver resolves the program's relative database path), then Wine.
set -u
source "$(dirname "$0")/wine-env.sh"
program=$1
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-run.XXXXXX")
cd "$work"
wine "$program" "$@"
status=$?
cd /
rm -rf "$work"
exit $status
