# Sourced by the scripts that need a private display: use_private_xvfb starts an Xvfb
# (windows never pop up on the user's screen) and stops it on exit. Its screen is
# 1280x1024 unless TORVINEL_XVFB_SIZE says otherwise.
start_xvfb() {
    local n
    for n in $(seq 90 120); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
        Xvfb :$n -screen 0 "${TORVINEL_XVFB_SIZE:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
        TORVINEL_XVFB_PID=$!
        for _ in $(seq 50); do
            [ -e /tmp/.X11-unix/X$n ] && break
            sleep 0.1
        done
        export DISPLAY=:$n
        trap 'kill $TORVINEL_XVFB_PID 2>/dev/null || true' EXIT
        return 0
    done
    echo "no free X display number" >&2
    return 1
}
use_private_xvfb() { start_xvfb; }
