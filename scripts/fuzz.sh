#!/usr/bin/env bash
# Runs the import fuzzer okv_fuzz_import (tools/fuzz_import.cpp) on a display, after building
# it in the Clang build, build-clang:
#
#   bash scripts/fuzz.sh [SECONDS]   fuzzes for SECONDS (default 600) and keeps what it finds:
#                                    fuzz/corpus/ every input that reached new code,
#                                    fuzz/crashes/ every input that crashed or broke a mesh rule,
#                                    fuzz/fuzz.log libFuzzer's reports
#   bash scripts/fuzz.sh --runs N    the test command's short run: the seeds and N inputs made
#                                    from them with a fixed random seed, the same every time
#
# Seeds: the models the build generates, Assimp's own COLLADA test models (assimp-testmodels), and
# the files that crash, abort or never finish the importer (tests/importer-faults/), which its
# child process takes: the fuzzer goes on over them and over what it makes from them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh

runs=""
seconds=600
if [ "${1:-}" = "--runs" ]; then
    runs=$2
elif [ -n "${1:-}" ]; then
    seconds=$1
fi

source scripts/virtual-display.sh

# CXX only counts when build-clang is configured the first time.
CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build-clang -j"$(nproc)" --target okv_fuzz_import assets > /dev/null

mkdir -p fuzz/seeds fuzz/corpus fuzz/crashes
for model in build-clang/data/models/*.dae; do
    cp "$model" "fuzz/seeds/generated-$(basename "$model")"
done
cp /usr/share/assimp/models/Collada/*.dae /usr/share/assimp/models/Collada/*.DAE fuzz/seeds/
for model in tests/importer-faults/*.dae; do
    cp "$model" "fuzz/seeds/importer-fault-$(basename "$model")"
done

# As in the test command: the driver stays loaded until the leak check, which names it.
export LD_PRELOAD=$(find /usr/lib -name swrast_dri.so -print -quit)
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0

# Inputs up to 64 KiB: enough for every element of a model, small enough that the fuzzer tries
# many (the larger seeds are cut there, and their fragments still feed the XML reader). It runs
# in fuzz/, where the loader writes its import log, so the paths are absolute.
# The importer's child process (loader/ImporterFault.h) has limits of its own, 30 s and 4 GiB,
# and is ended when it passes them. libFuzzer's time limit is therefore longer, and its limit on a
# single allocation, which would also hold in the child and save the input as a finding, is out
# of reach (1 TiB); its limit on this process's resident memory (2 GiB) stays.
fuzzer=$PWD/build-clang/tools/okv_fuzz_import
fuzz=$PWD/fuzz
options=(-max_len=65536 -timeout=60 -malloc_limit_mb=1048576 -dict="$PWD/tools/fuzz_import.dict"
         -artifact_prefix="$fuzz/crashes/")
cd "$fuzz"

if [ -n "$runs" ]; then
    mkdir -p brief-corpus
    rm -f brief-corpus/*
    "$fuzzer" "${options[@]}" -seed=1 -runs="$runs" "$fuzz/brief-corpus" "$fuzz/seeds"
else
    # Fork mode goes on after a crash, so that one run finds more than the first fault.
    "$fuzzer" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 "$fuzz/corpus" "$fuzz/seeds" 2>&1 | tee fuzz.log
    echo "Crashes kept in fuzz/crashes/: $(ls crashes | wc -l)"
fi
