#!/usr/bin/env bash
# Installs the Debian packages the demo, its tests, its tools and its checks need, and the
# packages named as arguments (a script's own needs); installs nothing when everything is
# already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    freeglut3-dev libglew-dev libx11-dev libassimp-dev assimp-utils libdevil-dev
    assimp-testmodels libclang-rt-14-dev
    googletest libgtest-dev
    libgl1-mesa-dri libglx-mesa0 mesa-utils
    xvfb xauth x11-utils xdotool imagemagick apitrace
    clang clang-tidy clang-format glslang-tools
    # llvm-symbolizer: the function names in the sanitizers' and the fuzzer's reports
    llvm
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
