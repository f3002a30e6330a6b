#!/usr/bin/env bash
# Builds every fuzz target (tests/fuzz/fuzz_<name>.cpp) with clang, libFuzzer and the address and
# undefined-behaviour sanitizers into build-asan/, runs each for SECONDS seconds (default 60)
# from its committed seed corpus tests/fuzz/corpus/<name>/ (with the words of
# tests/fuzz/<name>.dict when there is one), and prints one line per target:
#   fuzz: target=<name> seconds=S executions=N findings=K
# Inputs that broke a target are kept in build-asan/fuzz-run/findings/<name>/ with their reports
# in build-asan/fuzz-run/reports/<name>/; the script exits with 1 when any target had a finding.
# The normal build and test do not need clang.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

# The fuzz targets share their build folder with the suite built for the address and
# undefined-behaviour sanitizers (scripts/sanitize.sh): one instrumented build serves both.
scripts/configure-clang.sh build-asan -DQUORVEL_FUZZ=ON

targets=()
for source in tests/fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
run=build-asan/fuzz-run
mkdir -p "$run"
if ! cmake --build build-asan -j2 --target "${targets[@]}" >"$run/build.log" 2>&1; then
    cat "$run/build.log"
    exit 2
fi

# Recording the call stack of every allocation costs nine tenths of the run; an input that breaks
# a target is run once more below with the full stacks for its report.
fast_asan="malloc_context_size=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
found=0
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    corpus=$run/corpus/$name   # new inputs go here, the committed seeds stay as they are
    findings=$run/findings/$name
    log=$run/$name.log
    rm -rf "$findings" "$run/reports/$name"
    mkdir -p "$corpus" "$findings" tests/fuzz/corpus/"$name"
    dictionary=()
    if [ -f tests/fuzz/"$name".dict ]; then
        dictionary=(-dict=tests/fuzz/"$name".dict)
    fi
    set +e
    ASAN_OPTIONS=$fast_asan build-asan/"$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "${dictionary[@]}" "$corpus" tests/fuzz/corpus/"$name" >"$log" 2>&1
    set -e
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ -z "$executions" ]; then # a run that died before its statistics: its last status line
        executions=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
    fi
    count=$(find "$findings" -type f | wc -l)
    echo "fuzz: target=$name seconds=$seconds executions=${executions:-0} findings=$count"
    if [ "$count" -gt 0 ]; then
        found=1
        mkdir -p "$run/reports/$name"
        for input in "$findings"/*; do
            report=$run/reports/$name/$(basename "$input").txt
            build-asan/"$target" "$input" >"$report" 2>&1 || true
            echo "  finding: $input (report: $report)"
        done
    fi
done
exit $found
