# Sourced by the other scripts: when no display is given, starts a virtual X server with
# GLX (Mesa's software renderer gives a real OpenGL 4.5 core context) and stops it on exit.
# -noreset: tests connect one after another, and a server that resets whenever its last
# client leaves can refuse the next one.
if [ -z "${DISPLAY:-}" ]; then
    for number in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then
            Xvfb ":$number" -screen 0 1920x1080x24 +extension GLX -nolisten tcp -noreset >/dev/null 2>&1 &
            virtual_display_pid=$!
            trap 'kill "$virtual_display_pid" 2>/dev/null || true' EXIT
            export DISPLAY=":$number"
            for _ in $(seq 50); do
                [ -e "/tmp/.X11-unix/X$number" ] && break
                sleep 0.1
            done
            echo "Started a virtual X server on $DISPLAY"
            break
        fi
    done
fi
