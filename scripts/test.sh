#!/usr/bin/env bash
# Installs what is missing, builds the project twice (plain, and with AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs the whole test suite on both builds. Exits non-zero
# on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh
source scripts/virtual-display.sh

jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOKV_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
# Mesa unloads its driver when the context goes away at exit, before the leak check runs,
# which would leave the driver's own allocations unattributable; keeping it loaded lets the
# suppressions name it. Every leak of this program's code is still reported.
export LD_PRELOAD=$(find /usr/lib -name swrast_dri.so -print -quit)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j"$jobs" --timeout 900

# The import fuzzer (built in the Clang build, build-clang), briefly and with a fixed random
# seed, so that every run tries the same inputs: the seeds and 2000 inputs made from them.
# `bash scripts/fuzz.sh` fuzzes for ten minutes.
scripts/fuzz.sh --runs 2000
