# Sourced by the scripts that make the pictures in docs/: installs what is missing, builds the
# project in build/, and gives them a display (a virtual X server when none is set).
scripts/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
source scripts/virtual-display.sh
