#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz) and runs each one for a bounded time, starting from
# its seed corpus fuzz/corpus/<target>. Fails when any target crashes, times out, leaks, runs
# out of memory or finds an input that breaks one of its properties.
#
# Inputs that add coverage are kept in build/fuzz/corpus/<target>, outside the repository, so a
# later run goes on from there; a failing input is written to build/fuzz/findings/ (copy it into
# fuzz/corpus/<target>/ once the fault is fixed: the corpus replay then keeps it as a test).
#
# FUZZ_SECONDS sets the time per target (default 60), JOBS the build's parallelism (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

# target and its longest input: documents long enough to nest past the depth limit.
targets=(import_document:65536 text_decoding:4096 convert_angle:256 point_coordinates:256)
findings=build/fuzz/findings
mkdir -p "$findings"
status=0
summary=()
for entry in "${targets[@]}"; do
    target=${entry%%:*}
    maxLength=${entry##*:}
    work=build/fuzz/corpus/$target
    log=build/fuzz/$target.log
    mkdir -p "$work"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len="$maxLength"
        -print_final_stats=1 -artifact_prefix="$findings/$target-")
    if [ -f "fuzz/$target.dict" ]; then
        options+=(-dict="fuzz/$target.dict")
    fi
    echo "== fuzz $target: ${seconds} s"
    if "build/fuzz/fuzz/fuzz_$target" "${options[@]}" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        result=passed
    else
        result=FAILED
        status=1
        tail -n 40 "$log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    seeds=$(find "fuzz/corpus/$target" -type f | wc -l)
    found=$(find "$work" -type f | wc -l)
    summary+=("$target: $result, ${runs:-?} executions, $seeds seeds, $found inputs in the working corpus")
done
echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
exit $status
