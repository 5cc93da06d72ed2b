#!/usr/bin/env bash
# Makes docs/okv-demo.gif, the animation at the top of the README: ten seconds of the camera's
# path (animation times 6.00 to 7.98, 0.2 animation units per second as the program runs),
# captured by the capture tool at 480 x 360 and 10 frames per second, joined into a looping GIF
# with ImageMagick on one palette of 96 colours. Installs what is missing and builds first;
# without a display it uses a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/built-with-display.sh

frames=$(mktemp -d)
times=$(awk 'BEGIN { for (frame = 0; frame < 100; ++frame) printf "%.2f ", 6.0 + frame * 0.02 }')
(cd build/data && ../tools/okv_capture "$frames" 480 360 $times > /dev/null)
# One palette for all frames, taken from every tenth: colours that stay put keep their index,
# which keeps the frames' differences small.
convert "$frames"/okv-6.[02468]0.png "$frames"/okv-7.[02468]0.png +dither -append -colors 96 -unique-colors \
    "$frames/palette.png"
convert -delay 10 -loop 0 "$frames"/okv-[67].*.png +dither -remap "$frames/palette.png" \
    -layers OptimizeTransparency docs/okv-demo.gif
rm -r "$frames"
echo "Wrote docs/okv-demo.gif ($(du -k docs/okv-demo.gif | cut -f1) kB)"
