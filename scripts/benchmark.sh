#!/usr/bin/env bash
# Makes the figures of docs/performance.md but the long run's: installs what is missing, builds
# build/, then runs the frame and start-up benchmark (tools/benchmark.cpp) and the import
# benchmark (tools/import_benchmark.cpp) in turn, from the data directory, on a virtual X
# server of 1920 x 1080 when no display is given. Both print their figures; other load on the
# machine shows in every one of them.
#
#   bash scripts/benchmark.sh [--frames N]     N frames at each size (60 by default)
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/built-with-display.sh
cd build/data
../tools/okv_benchmark "$@"
echo
../tools/okv_import_benchmark
