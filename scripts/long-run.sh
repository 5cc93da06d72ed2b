#!/usr/bin/env bash
# Runs the real program for ten minutes (or the given number of seconds) on the current
# display, or on a virtual X server of its own when there is none, and checks that it holds:
#   - resident memory (VmRSS), sampled every 5 seconds into a CSV file, grows by less than
#     1 MB after the first minute (or after the first half of a shorter run);
#   - no GL error in any frame: Mesa's MESA_DEBUG reports every GL error on standard error,
#     which must stay empty, and loading ends with "After loadScene GLErrorCode:0";
#   - Escape ends it with status 0.
# Not part of the test command, since it takes ten minutes. Exits non-zero when a check fails.
#
#   scripts/long-run.sh [build directory, default build] [seconds, default 600] [CSV file]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
seconds=${2:-600}
csv=${3:-$build/long-run-memory.csv}
interval=5
warm_up=$((seconds / 2 < 60 ? seconds / 2 : 60))

if [ ! -x "$build/okv" ] || [ ! -d "$build/data/models" ]; then
    echo "No program or data in $build: build it first (cmake --build $build)" >&2
    exit 2
fi
source scripts/virtual-display.sh
source scripts/program-window.sh

output=$(mktemp)
errors=$(mktemp)
# Replaces the virtual display's own exit action, so it stops that server too.
clean_up() {
    rm -f "$output" "$errors"
    [ -z "${program:-}" ] || kill "$program" 2>/dev/null || true
    stop_virtual_display
}
trap clean_up EXIT

(cd "$build/data" && MESA_DEBUG=1 exec ../okv) >"$output" 2>"$errors" &
program=$!
start_ns=$(date +%s%N)

if ! window=$(wait_for_window 60 "$program"); then
    echo "The program's window did not appear" >&2
    cat "$errors" >&2
    exit 1
fi

echo "seconds,vmrss_kb" >"$csv"
peak_kb=0
while :; do
    elapsed_ms=$((($(date +%s%N) - start_ns) / 1000000))
    elapsed=$((elapsed_ms / 1000)).$((elapsed_ms % 1000 / 100))
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$program/status" 2>/dev/null || true)
    if [ -z "$rss" ]; then
        echo "The program ended after $elapsed s, before it was asked to" >&2
        cat "$errors" >&2
        exit 1
    fi
    peak_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$program/status")
    echo "$elapsed,$rss" >>"$csv"
    if [ "$elapsed_ms" -ge $((seconds * 1000)) ]; then
        break
    fi
    sleep "$interval"
done

xdotool windowfocus "$window" key Escape
status=0
wait "$program" || status=$?
program=""

failed=0
summary=$(awk -F, -v warm="$warm_up" -v half="$(((warm_up + seconds) / 2))" '
    NR == 1 { next }
    NR == 2 { first = $2 }
    $1 >= warm && base == "" { base = $2; baseTime = $1 }
    $1 >= warm { if ($2 > highest) highest = $2; if (low == "" || $2 < low) low = $2 }
    $1 >= warm && $1 < half { if ($2 > firstHalf) firstHalf = $2 }
    $1 >= half { if ($2 > secondHalf) secondHalf = $2 }
    { last = $2; lastTime = $1; samples++ }
    END { printf "%d %d %d %d %d %d %.1f %.1f %d %d\n", samples, first, base, last, highest, low, baseTime, lastTime,
                 firstHalf, secondHalf }
' "$csv")
read -r samples first base last highest lowest base_time last_time first_half second_half <<<"$summary"
growth=$((highest - base))

echo "Long run: $last_time s on display $DISPLAY, $samples samples every $interval s in $csv"
row() { printf '  %-54s %s\n' "$1" "$2"; }
row "VmRSS at the first sample" "$first kB"
row "VmRSS at $base_time s, the end of the warm-up" "$base kB"
row "VmRSS at the end" "$last kB"
row "VmRSS lowest / highest after the warm-up" "$lowest / $highest kB"
row "growth after the warm-up (highest - at its end)" "$growth kB (limit 1024 kB)"
# Not a check: the C library and the GL driver keep freed memory and grow in steps of a few
# hundred kB to a few MB; steps that stop show as a second half no higher than the first.
row "highest in the first / second half after the warm-up" "$first_half / $second_half kB"
row "peak resident memory (VmHWM)" "$peak_kb kB"
row "exit status on Escape" "$status"
row "standard error (GL errors included)" "$(wc -c <"$errors") bytes"

if [ "$growth" -ge 1024 ]; then
    echo "FAILED: memory grew by $growth kB after the first $warm_up s" >&2
    failed=1
fi
if [ -s "$errors" ]; then
    echo "FAILED: standard error is not empty (GL errors or other reports):" >&2
    head -n 20 "$errors" >&2
    failed=1
fi
if ! grep -q "After loadScene GLErrorCode:0" "$output"; then
    echo "FAILED: loading did not end with GL error 0" >&2
    failed=1
fi
if [ "$status" -ne 0 ]; then
    echo "FAILED: exit status $status on Escape" >&2
    failed=1
fi
[ "$failed" = 0 ] && echo "PASSED"
exit "$failed"
