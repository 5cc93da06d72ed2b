# Sourced by the other scripts: when no display is given, starts a virtual X server
# (scripts/virtual-x-server.sh) for this script and the programs it starts, and stops it on
# exit. A script that sets its own exit trap calls stop_virtual_display from it.
virtual_x_server="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/virtual-x-server.sh"
virtual_display_file=""

stop_virtual_display() {
    [ -z "$virtual_display_file" ] || "$virtual_x_server" stop "$virtual_display_file"
}

if [ -z "${DISPLAY:-}" ]; then
    virtual_display_file=$(mktemp)
    "$virtual_x_server" start "$virtual_display_file"
    trap stop_virtual_display EXIT
    if [ -s "$virtual_display_file" ]; then
        read -r DISPLAY _ < "$virtual_display_file"
        export DISPLAY
    fi
fi
