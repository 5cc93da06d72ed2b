#!/usr/bin/env bash
# Makes the pictures of docs/frame/ and the figures in docs/frame.md anew: the breakdown tool
# takes the frame at animation time 6.7 apart in an 800 x 600 window (the size the test
# command checks them at), and the table of figures it prints replaces the one between the
# markers in docs/frame.md. Installs what is missing and builds first; without a display it
# uses a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/built-with-display.sh

mkdir -p docs/frame
output=$(cd build/data && ../tools/okv_breakdown ../../docs/frame 800 600 6.7)
figures=$(sed -n '/^Shadow volumes of the frame/,$p' <<< "$output")
awk -v figures="$figures" '
    /<!-- figures of okv_breakdown begin -->/ { print; print figures; skipping = 1; next }
    /<!-- figures of okv_breakdown end -->/ { skipping = 0 }
    !skipping' docs/frame.md > docs/frame.md.new
mv docs/frame.md.new docs/frame.md
echo "$figures"
echo "Wrote docs/frame/*.png and the figures in docs/frame.md"
