#!/usr/bin/env bash
# Compares the start-up of the working tree with that of another commit, side by side: builds
# the commit's benchmark in build-compare/ (from `git archive`; the checkout is not touched) and
# the working tree in build/, then runs the two benchmarks in alternating pairs, so that
# whatever else the machine does weighs on both alike. Prints each run's loadScene and process
# start to the first frame on screen, from the benchmark's start-up table (a run ends once it
# has printed that table), and the medians of each.
#
#   bash scripts/startup-pairs.sh COMMIT [PAIRS]    ten pairs unless PAIRS is given
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$1
pairs=${2:-10}

source scripts/built-with-display.sh
compare=build-compare
rm -rf "$compare/tree"
mkdir -p "$compare/tree"
git archive "$commit" | tar -x -C "$compare/tree"
cmake -S "$compare/tree" -B "$compare/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF > /dev/null
cmake --build "$compare/build" -j"$(nproc)" --target okv okv_benchmark shaders > /dev/null

# startup BUILD: one benchmark run's loadScene and start-up to the first frame, in ms.
startup() {
    local output
    output=$(mktemp)
    (cd "$1/data" && exec ../tools/okv_benchmark --frames 1) > "$output" 2>&1 &
    local benchmark=$!
    until grep -q "process start to first frame on screen" "$output"; do
        if ! kill -0 "$benchmark" 2> /dev/null; then
            cat "$output" >&2
            return 1
        fi
        sleep 0.1
    done
    kill "$benchmark"
    wait "$benchmark" 2> /dev/null || true
    awk '/loadScene/ { scene = $NF } /process start to first frame on screen/ { frame = $NF }
         END { print scene, frame }' "$output"
    rm -f "$output"
}

results=$(mktemp)
echo "run     commit $commit: loadScene, first frame (ms)   working tree: loadScene, first frame (ms)"
for pair in $(seq "$pairs"); do
    # Which goes first changes from pair to pair.
    if [ $((pair % 2)) = 1 ]; then
        before=$(startup "$compare/build")
        after=$(startup build)
    else
        after=$(startup build)
        before=$(startup "$compare/build")
    fi
    echo "$before $after" >> "$results"
    printf '%-7s %-46s %s\n' "$pair" "$before" "$after"
done
median() {
    sort -n | awk '{ value[NR] = $1 } END { print (NR % 2 ? value[(NR + 1) / 2] : (value[NR / 2] + value[NR / 2 + 1]) / 2) }'
}
echo "medians: commit $commit loadScene $(cut -d' ' -f1 "$results" | median) ms," \
    "first frame $(cut -d' ' -f2 "$results" | median) ms; working tree loadScene" \
    "$(cut -d' ' -f3 "$results" | median) ms, first frame $(cut -d' ' -f4 "$results" | median) ms"
rm -f "$results"
