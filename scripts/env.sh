# Shared settings of the scripts: where the builds and the Wine prefix live.
# Sourced, not run.
MARLIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MARLIN_BUILD="${MARLIN_BUILD:-$MARLIN_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$HOME/.marlin-wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Starts one Xvfb for the whole run unless a display is already there, and keeps a Wine
# server alive meanwhile so that each Windows executable starts quickly.
marlin_start_display() {
    if [ -z "${DISPLAY:-}" ]; then
        local number=$(( 90 + RANDOM % 100 ))
        while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
            number=$((number + 1))
        done
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        MARLIN_XVFB_PID=$!
        export DISPLAY=":$number"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$number" ] && break
            sleep 0.1
        done
    fi
    wineserver -p >/dev/null 2>&1 || true
    # Wine's own services start with the first program; started here, they do not inherit
    # (and hold open) the output pipe of a test runner that would then wait for them.
    wine cmd /c exit >/dev/null 2>&1 || true
}

marlin_stop_display() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${MARLIN_XVFB_PID:-}" ]; then
        kill "$MARLIN_XVFB_PID" 2>/dev/null || true
        wait "$MARLIN_XVFB_PID" 2>/dev/null || true
    fi
}
