#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a set time.
#
#   scripts/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]
#
# SECONDS defaults to 60; TARGETs are document, import, clipboard, number
# and choices (default: all). The seeds in fuzz/corpus/<target>/ are read,
# never written: what a run adds goes to build-fuzz/corpus/<target>/, where
# the next run goes on from it. Inputs that fail are kept in
# build-fuzz/artifacts/<target>/. The executions of every run are added to
# build-fuzz/executions.txt; each target's line shows this run and the
# total so far. VEXTAL_FUZZ_JOBS=N runs N copies of each target side by
# side on the same corpus (one log each, executions added up). Exits
# non-zero when a target found a failure.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VEXTAL_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:-60}"
shift $(( $# > 0 ? 1 : 0 ))
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(document import clipboard number choices)

# Longest input per target: a document or an import file of a few hundred
# rows, a clipboard text of a few dozen, one number, a page of assignments.
declare -A max_len=([document]=65536 [import]=65536 [clipboard]=16384 [number]=256 [choices]=4096)

# Runs of the script side by side (different targets) take turns to build.
mkdir -p "$build"
(
    flock 9
    cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
    cmake --build "$build" -j "$(nproc)" --target "${targets[@]/%/_fuzz}"
) 9> "$build/.build.lock"

export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
totals="$build/executions.txt"
touch "$totals"
failed=0
for target in "${targets[@]}"; do
    [[ -n "${max_len[$target]:-}" ]] || { echo "unknown target: $target" >&2; exit 2; }
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    mkdir -p "$work" "$artifacts"
    jobs="${VEXTAL_FUZZ_JOBS:-1}"
    logs=()
    pids=()
    for ((job = 1; job <= jobs; job++)); do
        log="$build/$target.log"
        [[ $jobs -eq 1 ]] || log="$build/$target.$job.log"
        "$build/${target}_fuzz" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
            -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" \
            "$work" "$root/fuzz/corpus/$target" > "$log" 2>&1 &
        logs+=("$log")
        pids+=($!)
    done
    status=0
    for pid in "${pids[@]}"; do wait "$pid" || status=$?; done
    runs=0
    for log in "${logs[@]}"; do
        count=$(awk '/stat::number_of_executed_units:/ {print $2}' "$log" | tail -1)
        runs=$((runs + ${count:-0}))
    done
    total=$(( $(awk -v t="$target" '$1 == t {s += $2} END {print s + 0}' "$totals") + runs ))
    echo "$target $runs" >> "$totals"
    if [[ $status -ne 0 ]]; then
        failed=1
        echo "$target: FAILED after $runs executions (total $total); see ${logs[*]} and $artifacts/"
    else
        echo "$target: $runs executions in ${seconds} s (total $total)"
    fi
done
exit $failed
