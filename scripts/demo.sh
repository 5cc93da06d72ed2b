#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it from its data directory.
# With a display it runs until you press Escape. Without one it runs on a virtual X server
# for half a minute, saves screenshots of the real window into screenshots/, and ends it
# with Escape.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
    cd build/data
    exec ../okv
fi

source scripts/virtual-display.sh
source scripts/program-window.sh
mkdir -p screenshots
rm -f screenshots/*.png
(cd build/data && exec ../okv) &
demo=$!
if ! window=$(wait_for_window 20); then
    echo "The demo's window did not appear" >&2
    kill "$demo" 2>/dev/null || true
    exit 1
fi
for shot in 1 2 3 4 5 6; do
    sleep 5
    import -window root "screenshots/demo-$shot.png"
    echo "Saved screenshots/demo-$shot.png"
done
xdotool windowfocus "$window" key Escape
status=0
wait "$demo" || status=$?
# The program echoes key codes without a line end.
echo
echo "The demo ended with status $status; screenshots are in $PWD/screenshots/"
exit "$status"
