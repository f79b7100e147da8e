# Sourced: when there is no X display, starts a private Xvfb with a 24-bit
# screen and exports DISPLAY; TALVORY_XVFB_PID names it for stopping.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    for n in $(seq 90 140); do
        [ -e /tmp/.X$n-lock ] && continue
        Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        TALVORY_XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        xdpyinfo >/dev/null 2>&1 && break
        kill $TALVORY_XVFB_PID 2>/dev/null || true
        unset TALVORY_XVFB_PID
    done
fi
