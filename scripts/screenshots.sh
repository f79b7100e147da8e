#!/bin/bash
# Regenerates the pictures in docs/: the tray menu with a category open and
# the preview of the highlighted phrase, each dialog of the Toolbox, and the
# find window with a few letters typed.
# Starts a copy of Talvory with start.sh on a fresh example database, headless
# (its own Xvfb and a light Wine prefix: a Talvory started by start.sh may go
# on running), drives it with tools/talvory-remote.exe, captures the screen
# with ImageMagick's import, crops it, and stops everything it started.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
"$here/install-deps.sh"
"$here/build.sh" Talvory talvory-remote >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/talvory-screenshots.XXXXXX")
export TALVORY_RUN_DIR=$work/run TALVORY_EXE=$work/Talvory/Talvory.exe TALVORY_SKIP_BUILD=1 \
    TALVORY_WINEPREFIX=$work/prefix TALVORY_WINEPREFIX_BASE=$WINEPREFIX TALVORY_XVFB_SCREEN=1024x768x24
trap '"$here/stop.sh" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
mkdir -p "$work/Talvory"
cp "$TALVORY_BUILD_DIR/bin/Talvory.exe" "$TALVORY_EXE"
"$here/start.sh" --headless >"$work/start.out" 2>&1 &
for _ in $(seq 600); do grep -q "Talvory is running" "$work/start.out" && break; sleep 0.1; done
grep -q "Talvory is running" "$work/start.out" || { cat "$work/start.out" >&2; exit 1; }
export DISPLAY=$(cat "$TALVORY_RUN_DIR/display") WINEPREFIX=$TALVORY_WINEPREFIX

remote() { wine "$TALVORY_BUILD_DIR/bin/talvory-remote.exe" "$@"; }
id() { awk -v name="$1" '$1 == "#define" && $2 == name { print $3 }' "$TALVORY_ROOT/res/resource.h"; }
# shot NAME [tray]: the screen around Talvory's windows (and the tray) into docs/NAME.png.
shot() {
    sleep 0.5
    # import reads the screen in one piece; xwd rebuilds it window by window
    # and shows a window that lies wholly inside another (a message box over
    # a dialog) as a black rectangle.
    import -display "$DISPLAY" -window root -crop "$(remote bounds 10 ${2:-})" +repage "$TALVORY_ROOT/docs/$1.png"
    echo "docs/$1.png"
}
# toolbox N CAPTION: opens item N of the Toolbox submenu and waits for its dialog.
toolbox() {
    remote menu 14 34
    local keys=(up right) i
    for ((i = 0; i < $1; i++)); do keys+=(down); done
    remote keys "${keys[@]}" return
    remote dialog "$2"
}
mkdir -p "$TALVORY_ROOT/docs"

# The pointer on the icon in Wine's tray window; Replies, its first phrase highlighted.
remote menu 14 34
remote keys down down down right
sleep 1.5
shot tray-menu tray
remote keys escape escape

toolbox 3 Talvory
remote select Talvory "$(id IDC_CATEGORY_COMBO)" 2
remote select Talvory "$(id IDC_PHRASE_COMBO)" 0
shot phrase-editor
remote close Talvory

toolbox 2 "Add New Phrase"
remote select "Add New Phrase" "$(id IDC_ADD_CATEGORY_COMBO)" 2
remote text "Add New Phrase" "$(id IDC_SHORTCUT_EDIT)" "Follow-up"
remote text "Add New Phrase" "$(id IDC_ADD_CONTENT_EDIT)" "Just following up on my message of last week."
shot add-phrase
remote close "Add New Phrase"

toolbox 0 "Add Category"
remote text "Add Category" "$(id IDC_CATEGORY_NAME)" "Projects"
shot add-category
remote close "Add Category"

toolbox 1 "Delete Category"
remote select "Delete Category" "$(id IDC_DELETE_COMBO)" 2
shot delete-category
remote close "Delete Category"

toolbox 4 "About Morvane"
shot about
remote close "About Morvane"

# The find window, opened by its chord with the pointer mid-screen.
remote find 300 200
remote text "Find phrase" "$(id IDC_FIND_TEXT)" "thank"
shot find-phrase
remote close "Find phrase"

"$here/stop.sh" >/dev/null
