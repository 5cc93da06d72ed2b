#!/usr/bin/env bash
# Installs what is missing, then builds and tests the project three ways: with GCC, with
# Clang, and with GCC plus AddressSanitizer + UndefinedBehaviorSanitizer; analyses the
# program and its tools with clang-tidy; checks that the C++ sources keep .clang-format. The
# GCC build's suite also checks the shaders with the reference GLSL compiler and compares
# frames of Mesa's two software rasterisers. Prints how long each step took; exits non-zero
# on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh
source scripts/virtual-display.sh

source scripts/timed-steps.sh

jobs=$(nproc)

# build DIRECTORY CMAKE_OPTION...
build() {
    local directory=$1
    shift
    cmake -S . -B "$directory" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@"
    cmake --build "$directory" -j"$jobs"
}

# run_tests DIRECTORY TIMEOUT CTEST_OPTION...: fails when a test failed or did not run. Here
# every test has a display, so a test that skipped found a fault (no display reached it, a
# tool it needs is missing): each is named with the reason it gave.
run_tests() {
    local console=$1/Testing/console.log status=0
    mkdir -p "$1/Testing"
    ctest --test-dir "$1" --output-on-failure -j"$jobs" --timeout "$2" "${@:3}" | tee "$console" || status=$?
    local name skipped
    skipped=$(sed -n '/^The following tests did not run:/,/^$/p' "$console" | sed -nE 's/^\s+[0-9]+ - (.*) \(.*\)$/\1/p')
    [ -z "$skipped" ] && return "$status"
    echo "The test command gives every test a display, yet these tests did not run:"
    for name in $skipped; do
        echo "  $name: $(reason_for_not_running "$1/Testing/Temporary/LastTest.log" "$name")"
    done
    return 1
}

# reason_for_not_running LOG NAME: what the test printed, on one line, from CTest's log of the
# last run, without Google Test's own lines: the reason it gave for skipping.
reason_for_not_running() {
    awk -v test="$2" '
        /^[0-9]+\/[0-9]+ Testing: / { inTest = substr($0, index($0, ": ") + 2) == test }
        inTest && /^Output:$/ { inOutput = 1; next }
        /^<end of output>$/ { inOutput = 0 }
        inTest && inOutput && !/^(-+$|\[|Note: )/ { printf "%s%s", separator, $0; separator = " " }' "$1"
}

# Every translation unit of the program and its tools, with the Clang build's flags; the
# checks and their exemptions are in .clang-tidy. Its log names every file it ran on, so it
# is shown only when something was found.
analyse() {
    if ! run-clang-tidy -quiet -p build-clang -j"$jobs" "$PWD/(app|gl|loader|math|scene|tools)/" \
        > build-clang/clang-tidy.log 2>&1; then
        cat build-clang/clang-tidy.log
        return 1
    fi
}

# Every C++ source as clang-format (Debian 12's, version 14) leaves it; `clang-format -i FILE`
# formats one. Last, so that a file left unformatted does not keep the tests from running.
check_format() {
    find app gl loader math scene tests tools -name '*.cpp' -o -name '*.h' | sort |
        xargs clang-format --dry-run --Werror
}

# The shader sources and the second rasteriser do not depend on the compiler: checked once,
# in the GCC build. Stages are picked by the tests' labels (tests/CMakeLists.txt).
compiler_independent='shaders|softpipe'

step "GCC build" build build
step "GCC tests" run_tests build 600

step "Clang build" build build-clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
# The bad-data runs (dozens of program starts, two minutes) test the loader's answers to
# broken files; the GCC and sanitizer builds cover them.
step "Clang tests" run_tests build-clang 600 -LE "$compiler_independent|bad-data"
# The two fuzzers (built in the Clang build), briefly and with a fixed random seed, so that
# every run tries the same inputs: the seeds and 2000 inputs made from them for the import, 500
# for the images (a child process each). `bash scripts/fuzz.sh` fuzzes for ten minutes.
step "fuzzing" scripts/fuzz.sh --runs 2000 500
step "clang-tidy" analyse

step "sanitizer build" build build-sanitize -DOKV_SANITIZE=ON
# Mesa unloads its driver when the context goes away at exit, before the leak check runs,
# which would leave the driver's own allocations unattributable; keeping it loaded lets the
# suppressions name it. Every leak of this program's code is still reported.
export LD_PRELOAD=$(find /usr/lib -name swrast_dri.so -print -quit)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
step "sanitizer tests" run_tests build-sanitize 900 -LE "$compiler_independent"
step "formatting" check_format

print_step_times
