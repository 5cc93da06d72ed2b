#!/usr/bin/env bash
# Makes every picture the README and docs/ show anew, from the current code:
#   stills      docs/okv-temple-sky.png, okv-temple-shadows.png and okv-pool.png: the README's
#               three frames, 1280 x 960, at animation times 14.5, 7 and 1.5
#   own-model   docs/okv-own-model.png: Assimp's duck (Debian's assimp-testmodels) in the
#               temple's place, on a copy of the data directory, 1280 x 960 at time 25
#   animation   docs/okv-demo.gif: ten seconds of the camera's path (animation times 6.00 to
#               7.98, 0.2 animation units per second as the program runs) at 480 x 360 and 10
#               frames per second, joined into a looping GIF on one palette of 96 colours
#   frame       docs/frame/*.png and the figures in docs/frame.md (scripts/breakdown.sh)
# The test command captures each set again (of the animation, every tenth frame) and compares it
# with the files in docs/, so a change that alters the frame fails there until this has been run
# and its pictures committed.
#
#   bash scripts/pictures.sh                      installs what is missing, builds build/, writes every set into docs/
#   bash scripts/pictures.sh BUILD DIRECTORY SET  the stills or the own-model picture from the built BUILD into
#                                                 DIRECTORY (the capture test)
set -euo pipefail
cd "$(dirname "$0")/.."

# stills BUILD DIRECTORY
stills() {
    local shots
    shots=$(mktemp -d)
    (cd "$1/data" && ../tools/okv_capture "$shots" 1280 960 14.5 7 1.5 > /dev/null)
    mv "$shots/okv-14.5.png" "$2/okv-temple-sky.png"
    mv "$shots/okv-7.png" "$2/okv-temple-shadows.png"
    mv "$shots/okv-1.5.png" "$2/okv-pool.png"
    rm -r "$shots"
}

# own_model BUILD DIRECTORY
own_model() {
    local models=/usr/share/assimp/models/Collada copy
    # Inside the build directory, so that nothing is left elsewhere when a step fails.
    copy=$1/own-model
    rm -rf "$copy"
    cp -r "$1/data" "$copy"
    cp "$models/duck.dae" "$copy/models/Tempel.dae"
    cp "$models/duckCM.tga" "$copy/models/"
    (cd "$copy" && "$1/tools/okv_capture" "$copy" 1280 960 25 > /dev/null)
    mv "$copy/okv-25.png" "$2/okv-own-model.png"
    rm -rf "$copy"
}

# animation BUILD DIRECTORY
animation() {
    local frames times
    frames=$(mktemp -d)
    times=$(awk 'BEGIN { for (frame = 0; frame < 100; ++frame) printf "%.2f ", 6.0 + frame * 0.02 }')
    # shellcheck disable=SC2086 # one argument per time
    (cd "$1/data" && ../tools/okv_capture "$frames" 480 360 $times > /dev/null)
    # One palette for all frames, taken from every tenth: colours that stay put keep their
    # index, which keeps the frames' differences small.
    convert "$frames"/okv-6.[02468]0.png "$frames"/okv-7.[02468]0.png +dither -append -colors 96 -unique-colors \
        "$frames/palette.png"
    convert -delay 10 -loop 0 "$frames"/okv-[67].*.png +dither -remap "$frames/palette.png" \
        -layers OptimizeTransparency "$2/okv-demo.gif"
    rm -r "$frames"
}

usage="usage: $0 [BUILD DIRECTORY stills|own-model]"
if [ $# -eq 0 ]; then
    source scripts/built-with-display.sh
    stills "$PWD/build" docs
    echo "Wrote docs/okv-temple-sky.png, docs/okv-temple-shadows.png, docs/okv-pool.png"
    own_model "$PWD/build" docs
    echo "Wrote docs/okv-own-model.png"
    animation "$PWD/build" docs
    echo "Wrote docs/okv-demo.gif ($(du -k docs/okv-demo.gif | cut -f1) kB)"
    scripts/breakdown.sh
    exit 0
fi

[ $# -eq 3 ] || { echo "$usage" >&2; exit 2; }
build=$(realpath "$1")
directory=$(realpath "$2")
source scripts/virtual-display.sh
case "$3" in
stills) stills "$build" "$directory" ;;
own-model) own_model "$build" "$directory" ;;
*) echo "$usage" >&2; exit 2 ;;
esac
