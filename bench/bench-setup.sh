# Sourced by the benchmark scripts: builds the given targets (the whole tree
# on first use), makes a scratch folder $work removed at exit, and brings up
# Xvfb and the project's Wine prefix.
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
source "$root/scripts/start-xvfb.sh"
"$root/scripts/prepare-wine.sh" >/dev/null 2>&1 || true
