#!/usr/bin/env bash
# The Wine environment of the tests: a prefix inside the build tree, a private
# Xvfb display and a persistent wineserver, so that Wine runs in tests start
# fast and never need a real display.
#   wine-env.sh up DIR     create the prefix if missing, start Xvfb and wineserver
#   wine-env.sh down DIR   stop them
#   wine-env.sh env DIR    print the environment for a Wine run (to eval)
set -euo pipefail
cmd="$1"; dir="$(mkdir -p "$2" && cd "$2" && pwd)"

wine_env() {
    export WINEPREFIX="$dir/prefix"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    if [ -f "$dir/display" ]; then export DISPLAY="$(cat "$dir/display")"; fi
}

start_xvfb() {
    if [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then return; fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
        echo $! >"$dir/xvfb.pid"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" >"$dir/display"; return; }
            kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
            sleep 0.1
        done
    done
    echo "wine-env: could not start Xvfb" >&2; exit 1
}

# A 4 MiB file system for the free-space tests (visible to Wine through Z:).
# Only root can mount it; without it those tests say why they skip.
mount_small_fs() {
    mkdir -p "$dir/small-fs"
    mountpoint -q "$dir/small-fs" && return
    [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=4m tmpfs "$dir/small-fs" 2>/dev/null || true
}

case "$cmd" in
up)
    mount_small_fs
    start_xvfb
    wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout 300 wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
    fi
    # Daemons must not hold the caller's output open (CTest waits for it).
    wineserver -p </dev/null >>"$dir/wineserver.log" 2>&1 || true
    # Wine answers the first start of a program slowly; warm it up once.
    timeout 120 wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
    ;;
down)
    wine_env
    wineserver -k 2>/dev/null || true
    if [ -f "$dir/xvfb.pid" ]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; rm -f "$dir/xvfb.pid"; fi
    rm -f "$dir/display"
    if mountpoint -q "$dir/small-fs" 2>/dev/null; then umount "$dir/small-fs" 2>/dev/null || true; fi
    ;;
env)
    wine_env
    printf 'export WINEPREFIX=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q WINEARCH=%q DISPLAY=%q\n' \
        "$WINEPREFIX" "$WINEDEBUG" "$WINEDLLOVERRIDES" "$WINEARCH" "${DISPLAY:-}"
    ;;
*) echo "usage: wine-env.sh up|down|env DIR" >&2; exit 2 ;;
esac
