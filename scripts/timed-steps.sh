# Sourced by the scripts that say how long each of their steps took: step runs one and notes
# its time, print_step_times prints the notes.
timings=""

# step NAME COMMAND...: runs one step and notes how long it took.
step() {
    local name=$1 start=$SECONDS
    shift
    echo "=== $name"
    "$@"
    timings+=$(printf '%6d s  %s' $((SECONDS - start)) "$name")$'\n'
}

print_step_times() {
    echo "=== time per step"
    printf '%s' "$timings"
}
