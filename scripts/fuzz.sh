#!/usr/bin/env bash
# Runs the two fuzzers, okv_fuzz_import (tools/fuzz_import.cpp) and okv_fuzz_image
# (tools/fuzz_image.cpp), on a display, after building them in the Clang build, build-clang:
#
#   bash scripts/fuzz.sh [SECONDS]   fuzzes each for SECONDS (default 300) and keeps what it
#                                    finds, in fuzz/import/ and fuzz/image/:
#                                    corpus/ every input that reached new code,
#                                    crashes/ every input that crashed or broke a rule,
#                                    fuzz.log libFuzzer's reports
#   bash scripts/fuzz.sh --runs N [M]  the test command's short run: the seeds of each, and N
#                                    inputs made from them for the import fuzzer, M (or N) for
#                                    the image fuzzer, with a fixed random seed, the same every
#                                    time
#
# The import fuzzer's seeds: the models the build generates, Assimp's own COLLADA test models
# (assimp-testmodels), and the files that crash, abort or never finish the importer
# (tests/importer-faults/), which its child process takes: the fuzzer goes on over them and over
# what it makes from them. The image fuzzer's: one of the program's own textures, converted by
# ImageMagick into every format DevIL 1.7.8 reads that ImageMagick writes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh

runs=""
seconds=300
if [ "${1:-}" = "--runs" ]; then
    runs=$2
    image_runs=${3:-$2}
elif [ -n "${1:-}" ]; then
    seconds=$1
fi

source scripts/virtual-display.sh

# CXX only counts when build-clang is configured the first time.
CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build-clang -j"$(nproc)" --target okv_fuzz_import okv_fuzz_image assets > /dev/null

mkdir -p fuzz/import/seeds fuzz/image/seeds
for model in build-clang/data/models/*.dae; do
    cp "$model" "fuzz/import/seeds/generated-$(basename "$model")"
done
cp /usr/share/assimp/models/Collada/*.dae /usr/share/assimp/models/Collada/*.DAE fuzz/import/seeds/
for model in tests/importer-faults/*.dae; do
    cp "$model" "fuzz/import/seeds/importer-fault-$(basename "$model")"
done
# An image seed is its extension, a newline and the file, as the image fuzzer reads its inputs;
# 64 x 64 keeps each within the inputs' length. DevIL reads no BMP newer than version 3.
texture=build-clang/data/models/Tempel_diffuse.png
for format in bmp dds gif hdr ico jpg pbm pcx pgm png ppm psd ras sgi tga tif wbmp xpm; do
    image=$(mktemp --suffix=".$format")
    convert "$texture" -resize 64x64 -depth 8 -define bmp:format=bmp3 "$image"
    { printf '%s\n' "$format"; cat "$image"; } > "fuzz/image/seeds/texture-$format"
    rm -f "$image"
done

# As in the test command: the driver stays loaded until the leak check, which names it.
export LD_PRELOAD=$(find /usr/lib -name swrast_dri.so -print -quit)
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0

# fuzz TARGET RUNS OPTION...: runs one fuzzer in fuzz/TARGET/ (RUNS inputs in a short run), where
# the loader writes its import log, so the paths are absolute.
# The children (loader/ChildTask.h) have limits of their own, 30 s and 4 GiB for the importer,
# 10 s and 4 GiB for each image, and are ended when they pass them. libFuzzer's time limit is
# therefore longer, and so is its report of slow inputs (10 s by default), which would keep every
# image that the image library never finishes as a finding; its limit on a single allocation,
# which would also hold in a child and save the input as a finding, is out of reach (1 TiB); its
# limit on this process's resident memory (2 GiB) stays.
fuzz() {
    local target=$1 target_runs=$2
    shift 2
    local fuzzer=$PWD/build-clang/tools/okv_fuzz_$target
    local directory=$PWD/fuzz/$target
    local options=(-timeout=60 -report_slow_units=60 -malloc_limit_mb=1048576 -artifact_prefix="$directory/crashes/" "$@")
    mkdir -p "$directory/corpus" "$directory/crashes"
    (
        cd "$directory"
        if [ -n "$runs" ]; then
            mkdir -p brief-corpus
            rm -f brief-corpus/*
            "$fuzzer" "${options[@]}" -seed=1 -runs="$target_runs" "$directory/brief-corpus" "$directory/seeds"
        else
            # Fork mode goes on after a crash, so that one run finds more than the first fault.
            "$fuzzer" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
                -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 "$directory/corpus" "$directory/seeds" \
                2>&1 | tee fuzz.log
            echo "Crashes kept in fuzz/$target/crashes/: $(ls crashes | wc -l)"
        fi
    )
}

# Model inputs up to 64 KiB: enough for every element of a model, small enough that the fuzzer
# tries many (the larger seeds are cut there, and their fragments still feed the XML reader); a
# dictionary of COLLADA's words helps it build documents the importer accepts. Images likewise; each
# image input forks a child, so the image fuzzer tries fewer inputs a second.
fuzz import "$runs" -max_len=65536 -dict="$PWD/tools/fuzz_import.dict"
fuzz image "${image_runs:-}" -max_len=65536
