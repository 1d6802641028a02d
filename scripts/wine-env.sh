#!/usr/bin/env bash
# The private Wine test environment of one build folder.
#   wine-env.sh setup BUILD_DIR     make the prefix once, start a private Xvfb and one wineserver
#   wine-env.sh teardown BUILD_DIR  stop them
#   wine-env.sh exec BUILD_DIR CMD  run CMD inside the environment (starting it if needed)
# TBOOK_SCREEN=WIDTHxHEIGHT at setup gives a screen of another size (1024x768 unless told); Wine's
# desktop leaves 68 pixels of it below.
# The environment is described by BUILD_DIR/wine/env, which wine-run.sh sources.
set -euo pipefail

cmd=$1
build=$(cd "$2" && pwd)
shift 2
root="$build/wine"
envfile="$root/env"

base_env() {
    export WINEPREFIX="$root/prefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine takes the ANSI code page from the locale: C.UTF-8 gives English with code page 1252,
    # and file names of any script (a bare C locale refuses every name beyond ASCII).
    export LC_ALL=C.UTF-8 LANG=C.UTF-8
    unset LANGUAGE
}

make_prefix() {
    [ -f "$WINEPREFIX/.tbook-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    mkdir -p "$root"
    wineboot -i >/dev/null 2>&1
    # A virtual desktop gives windows a taskbar and a notification area and makes
    # hiding and destroying windows fast (no waiting for a window manager).
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x700 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tbook-ready"
}

start_xvfb() {
    local fifo="$root/displayfd"
    rm -f "$fifo"
    mkfifo "$fifo"
    setsid Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    local pid=$!
    local display
    read -r -t 20 display <"$fifo" || { echo "Xvfb did not start" >&2; kill "$pid" 2>/dev/null; exit 1; }
    rm -f "$fifo"
    echo "$pid :$display"
}

setup() {
    base_env
    screen=${TBOOK_SCREEN:-1024x768}
    teardown_quiet
    make_prefix
    # The desktop's size is read when Wine's first window opens, so it is set while no server runs.
    sed -i -E "s/^\"Default\"=\"[0-9]+x[0-9]+\"\$/\"Default\"=\"${screen%x*}x$((${screen#*x} - 68))\"/" \
        "$WINEPREFIX/user.reg"
    read -r xpid display < <(start_xvfb)
    export DISPLAY=$display
    setsid wineserver -p >/dev/null 2>&1 </dev/null &
    # The first Wine program of a session starts Wine's own services, which live as long as the
    # server and keep that program's output open. Start them here with no output attached, or
    # they would hold the first test's output pipe and its runner would wait forever.
    wine reg query 'HKCU\Software\Wine\Explorer' >/dev/null 2>&1 </dev/null
    cat >"$envfile" <<EOT
export WINEPREFIX='$WINEPREFIX' WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8 LANG=C.UTF-8
export DISPLAY='$display'
TBOOK_XVFB_PID=$xpid
EOT
}

teardown_quiet() {
    if [ -f "$envfile" ]; then
        # shellcheck disable=SC1090
        . "$envfile"
        WINEPREFIX="$root/prefix" wineserver -k 2>/dev/null || true
        WINEPREFIX="$root/prefix" wineserver -w 2>/dev/null || true
        kill "${TBOOK_XVFB_PID:-0}" 2>/dev/null || true
        rm -f "$envfile"
    fi
}

case "$cmd" in
    setup) setup ;;
    teardown) base_env; teardown_quiet ;;
    exec)
        if [ ! -f "$envfile" ]; then
            # Programs started side by side must share one environment, not race to make two.
            mkdir -p "$root"
            exec 9>"$root/lock"
            flock 9
            [ -f "$envfile" ] || setup
            flock -u 9
            exec 9>&-
        fi
        . "$envfile"
        export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="
        exec "$@"
        ;;
    *) echo "usage: $0 setup|teardown|exec BUILD_DIR [CMD...]" >&2; exit 2 ;;
esac
