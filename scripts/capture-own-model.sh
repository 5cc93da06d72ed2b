#!/usr/bin/env bash
# Captures the picture of the README's "Try your own model": Assimp's duck (Debian's
# assimp-testmodels) in place of the temple, on a copy of the data directory, at animation
# time 25, with the capture tool.
#
#   bash scripts/capture-own-model.sh                      writes docs/okv-own-model.png from build/
#   bash scripts/capture-own-model.sh BUILD_DIR PICTURE    another build, another file (the capture test)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
picture=$(realpath -m "${2:-docs/okv-own-model.png}")
models=/usr/share/assimp/models/Collada

if [ $# -eq 0 ]; then
    source scripts/built-with-display.sh
else
    source scripts/virtual-display.sh
fi

# Inside the build directory, so that nothing is left elsewhere when a step fails.
copy=$build/own-model
rm -rf "$copy"
cp -r "$build/data" "$copy"
cp "$models/duck.dae" "$copy/models/Tempel.dae"
cp "$models/duckCM.tga" "$copy/models/"
(cd "$copy" && "$build/tools/okv_capture" "$copy" 1280 960 25 > /dev/null)
cp "$copy/okv-25.png" "$picture"
rm -rf "$copy"
