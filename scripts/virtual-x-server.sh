#!/usr/bin/env bash
# virtual-x-server.sh start FILE | stop FILE
#
# start: when no display is given (DISPLAY unset) and Xvfb is installed, starts a virtual X
# server with GLX (Mesa's software renderer gives a real OpenGL 4.5 core context) on a free
# display number and writes its name (":93") and process id into FILE. With a display given
# it leaves FILE absent; without Xvfb too, and says so: the tests then skip what needs one.
# stop: stops the server FILE names and removes FILE.
#
# CTest's display fixture and scripts/virtual-display.sh both start their server here.
# -noreset: clients connect one after another, and a server that resets whenever its last
# client leaves can refuse the next one.
set -euo pipefail
action=$1 file=$2

case "$action" in
start)
    rm -f "$file"
    if [ -n "${DISPLAY:-}" ]; then
        echo "Using the display $DISPLAY"
        exit 0
    fi
    if ! command -v Xvfb >/dev/null; then
        echo "No display and no Xvfb: the tests that need a display are skipped (install xvfb)"
        exit 0
    fi
    # Xvfb picks a free display and writes its number once it accepts connections. Its own
    # session, and no standard stream of ours, so that whoever started us need not wait for it.
    number_file=$(mktemp)
    setsid Xvfb -displayfd 3 -screen 0 1920x1080x24 +extension GLX -nolisten tcp -noreset \
        3>"$number_file" </dev/null >/dev/null 2>&1 &
    server=$!
    # A server that ends instead (it cannot open its display, say) will write none.
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        kill -0 "$server" 2>/dev/null || break
        sleep 0.1
    done
    number=$(head -n 1 "$number_file")
    rm -f "$number_file"
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        kill "$server" 2>/dev/null || true
        exit 1
    fi
    printf ':%s %s\n' "$number" "$server" > "$file"
    echo "Started a virtual X server on :$number"
    ;;
stop)
    if [ -f "$file" ]; then
        read -r _ server < "$file"
        kill "$server" 2>/dev/null || true
        rm -f "$file"
    fi
    ;;
*)
    echo "usage: $0 start|stop FILE" >&2
    exit 2
    ;;
esac
