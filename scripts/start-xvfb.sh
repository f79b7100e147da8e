# Sourced: when there is no X display, starts a private Xvfb (screen
# $TALVORY_XVFB_SCREEN, 1280x1024x24 unless set) and exports DISPLAY;
# TALVORY_XVFB_PID names it for stopping. The Xvfb runs in a session of its
# own, so that a Ctrl+C in the terminal does not reach it.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    for n in $(seq 90 140); do
        [ -e /tmp/.X$n-lock ] && continue
        setsid Xvfb :$n -screen 0 "${TALVORY_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
        TALVORY_XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        # Another Xvfb may have taken the number meanwhile: the lock names the owner.
        xdpyinfo >/dev/null 2>&1 && [ "$(tr -d ' ' 2>/dev/null </tmp/.X$n-lock)" = "$TALVORY_XVFB_PID" ] && break
        kill $TALVORY_XVFB_PID 2>/dev/null || true
        unset TALVORY_XVFB_PID
    done
fi
