# Sourced by the benchmark scripts: builds the given targets (the whole tree
# on first use), makes a scratch folder $work removed at exit, and brings up
# an Xvfb of its own and the project's Wine prefix.
#   source bench/bench-setup.sh TARGET...
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
if [ ! -f "$TALVORY_BUILD_DIR/CMakeCache.txt" ]; then
    "$root/scripts/build.sh"
else
    cmake --build "$TALVORY_BUILD_DIR" --target "$@" talvory_platform >/dev/null
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-bench.XXXXXX")
cleanup() {
    rm -rf "$work"
    [ -n "${TALVORY_XVFB_PID:-}" ] && kill "$TALVORY_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
# An X server of the benchmark's own, whatever DISPLAY says: other programs
# sharing this machine start and stop theirs, and Xvfb picks a free display
# number itself (-displayfd), so that none is ever taken for another's.
displayfile=$work/display
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
TALVORY_XVFB_PID=$!
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$displayfile")
"$root/scripts/prepare-wine.sh" >/dev/null 2>&1 || true
