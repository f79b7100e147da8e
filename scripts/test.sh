#!/bin/bash
# Installs what is missing, builds everything, and runs the whole test suite
# under Wine with CTest: the 64-bit build everywhere, and the 32-bit build too
# where this machine runs 32-bit code (elsewhere the 32-bit build is compiled,
# so that it stays warning-free, but not run). Extra arguments go to ctest
# (for example -R Store).
# The tests get a Wine prefix (build/wineprefix-tests) and an Xvfb of their
# own, so that they neither meet a Talvory started by scripts/start.sh nor
# take over the desktop and clipboard of the one running them, and a
# PostgreSQL server of their own for the team library (scripts/team-server.sh
# --for-tests, in build/tests-postgresql), which they find through
# TALVORY_TEST_POSTGRESQL ("SERVER=127.0.0.1;PORT=..."). Whatever fails,
# nothing it started is left running.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
export TALVORY_WINEPREFIX=${TALVORY_WINEPREFIX:-$root/build/wineprefix-tests}

# run WHAT COMMAND...: runs the command; when it fails, says in one line what failed and stops.
run() {
    local what=$1
    shift
    "$@" || { echo "test.sh: $what failed (exit code $?)." >&2; exit 1; }
}

run "installing the packages" "$here/install-deps.sh"
# Whether the 32-bit program can run here, found by trying Wine's 32-bit loader.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    widths=(x86_64 i686)
    echo "Testing the x86_64 and i686 builds: this machine runs 32-bit code (Wine's 32-bit loader starts)."
else
    widths=(x86_64)
    echo "Testing the x86_64 build; the i686 build is compiled, not run: this machine runs no 32-bit code" \
        "(Wine's 32-bit loader does not start)."
fi
run "building the x86_64 program and its tests" env TALVORY_ARCH=x86_64 "$here/build.sh"
if [ ${#widths[@]} -eq 2 ]; then
    run "building the i686 program and its tests" env TALVORY_ARCH=i686 TALVORY_HOST_ODBC=ON "$here/build.sh"
else
    run "compiling the i686 program and its tests" env TALVORY_ARCH=i686 TALVORY_HOST_ODBC=OFF "$here/build.sh"
fi

source "$here/wine-env.sh"
postgresql=$root/build/tests-postgresql
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -z "${TALVORY_XVFB_PID:-}" ] || kill "$TALVORY_XVFB_PID" 2>/dev/null || true
    "$here/team-server.sh" stop --data "$postgresql" >/dev/null && rm -rf "$postgresql"
}
trap cleanup EXIT
# A fresh server each run (one that a killed run left is stopped first).
"$here/team-server.sh" stop --data "$postgresql" >/dev/null
rm -rf "$postgresql"
if ! "$here/team-server.sh" start --data "$postgresql" --for-tests; then
    tail -n 5 "$postgresql/team-server.log" "$postgresql/server.log" >&2 2>/dev/null || true
    echo "test.sh: starting the tests' PostgreSQL server failed." >&2
    exit 1
fi
TALVORY_TEST_POSTGRESQL="SERVER=127.0.0.1;PORT=$(cat "$postgresql/port")"
export TALVORY_TEST_POSTGRESQL
unset DISPLAY
source "$here/start-xvfb.sh"
[ -n "${TALVORY_XVFB_PID:-}" ] || { echo "test.sh: starting Xvfb failed." >&2; exit 1; }
run "preparing the Wine prefix $WINEPREFIX" "$here/prepare-wine.sh"

failed=()
for width in "${widths[@]}"; do
    echo "Running the $width suite"
    (
        export TALVORY_ARCH=$width
        source "$here/wine-env.sh"
        cd "$TALVORY_BUILD_DIR"
        ctest --output-on-failure --timeout 120 -j 2 "$@"
    ) || failed+=("$width")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "test.sh: tests of the ${failed[*]} build failed." >&2
    exit 1
fi
echo "test.sh: all tests of the ${widths[*]} build$([ ${#widths[@]} -eq 1 ] || echo s) passed."
