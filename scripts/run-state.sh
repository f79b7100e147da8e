# Sourced by start.sh and stop.sh (after wine-env.sh): what start.sh started,
# recorded in $TALVORY_RUN_DIR (build/run/ unless set), and how it is stopped.
#   talvory.pid  exe  prefix  display   Talvory's process, its executable, Wine prefix and X display
#   xvfb.pid                            the Xvfb that start.sh started (none on an existing display)
#   wineserver.pid                      the prefix's wineserver, when start.sh started it
export TALVORY_RUN_DIR=${TALVORY_RUN_DIR:-$TALVORY_BUILD_DIR/run}

run_file() { cat "$TALVORY_RUN_DIR/$1" 2>/dev/null || true; }

# True when process $1 is alive (not a zombie) and its command line holds $2.
process_is() {
    local command
    command=$(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline") || return 1
    [[ -n $1 && $command == *"$2"* ]]
}

# Waits up to $2 seconds for process $1 to go; false if it is still there.
wait_gone() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        [ -n "$(tr -d '\0' 2>/dev/null <"/proc/$1/cmdline")" ] || return 0
        sleep 0.1
    done
    return 1
}

# The pid of the wineserver serving $WINEPREFIX, if one runs: it works in a
# folder named after the prefix folder's device and inode.
wineserver_pid() {
    [ -d "$WINEPREFIX" ] || return 0
    local folder p
    folder="server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")"
    for p in /proc/[0-9]*; do
        [[ $(cat "$p/comm" 2>/dev/null) == wineserver* ]] || continue
        [ "$(basename "$(readlink "$p/cwd" 2>/dev/null)")" = "$folder" ] && echo "${p#/proc/}" && return 0
    done
    return 0
}

talvory_running() {
    local exe
    exe=$(run_file exe)
    [ -n "$exe" ] && process_is "$(run_file talvory.pid)" "$(basename "$exe")"
}

# Whether Talvory's icon shows: in Wine's own tray window on a display without
# a notification area (Xvfb), else as soon as Talvory has its windows.
tray_icon_shown() {
    if xwininfo -name "Wine System Tray" >/dev/null 2>&1; then
        xwininfo -name "Wine System Tray" | grep -q IsViewable
    else
        xwininfo -root -tree 2>/dev/null | grep -q '("talvory.exe"'
    fi
}

# Ends Talvory as its Exit command does: Wine's taskkill (without /f) posts
# WM_CLOSE to its windows and its tray window takes that for Exit. Forces it
# after 10 seconds. Then stops what start.sh started. False when forced.
talvory_stop() {
    local pid exe forced=0
    pid=$(run_file talvory.pid)
    exe=$(run_file exe)
    if talvory_running; then
        WINEPREFIX=$(run_file prefix) DISPLAY=$(run_file display) \
            wine taskkill /im "$(basename "$exe")" >/dev/null 2>&1 || true
        if ! wait_gone "$pid" 10; then
            echo "Talvory did not end within 10 seconds (is a dialog or message box open?); ending it by force."
            kill -KILL "$pid" 2>/dev/null || true
            wait_gone "$pid" 5 || true
            forced=1
        fi
    fi
    stop_started_services
    return $forced
}

# Stops the wineserver and Xvfb that start.sh started, and nothing else.
stop_started_services() {
    local pid
    pid=$(run_file wineserver.pid)
    if [ -n "$pid" ] && process_is "$pid" wineserver; then
        WINEPREFIX=$(run_file prefix) wineserver -k 2>/dev/null || true
        wait_gone "$pid" 5 || kill -KILL "$pid" 2>/dev/null || true
    fi
    pid=$(run_file xvfb.pid)
    if [ -n "$pid" ] && process_is "$pid" Xvfb; then
        kill "$pid" 2>/dev/null || true
        wait_gone "$pid" 5 || kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$TALVORY_RUN_DIR"/{talvory.pid,exe,prefix,display,xvfb.pid,wineserver.pid}
}
