# Sourced by the scripts that drive the program's window on an X display.

# wait_for_window SECONDS [PID]: prints the id of the program's window (its title is "OKV")
# once it is shown; fails when none is shown within SECONDS, or as soon as process PID ends.
wait_for_window() {
    local window
    for _ in $(seq $(($1 * 5))); do
        window=$(xdotool search --onlyvisible --name '^OKV$' 2>/dev/null | head -n 1 || true)
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        [ -z "${2:-}" ] || kill -0 "$2" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}
