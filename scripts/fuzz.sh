#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ and runs each for the given
# number of seconds (default 60) on a scratch copy of its committed seed corpus. Prints one
# line per target and exits non-zero when any target crashed; the crashing inputs stay in
# build-fuzz/fuzz-artifacts/<target>/, the logs in build-fuzz/fuzz-logs/.
#
#   bash scripts/fuzz.sh [SECONDS]
#   build-fuzz/fuzz/fuzz_<target> build-fuzz/fuzz-artifacts/<target>/crash-...   # replay one
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(telemetry_receiver record_lines journal_scan ini_document ini_file port_settings)

# Debian's clang, then the runtime of its libFuzzer and sanitizers, of the same version.
bash scripts/setup-deps.sh clang
clang_major=$(clang -dumpversion | cut -d. -f1)
bash scripts/setup-deps.sh "libclang-rt-${clang_major}-dev"

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DINCUBATOR_WITH_QT=OFF -DINCUBATOR_BENCH=OFF -DINCUBATOR_FUZZ=ON -DINCUBATOR_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_all

# Runs write their corpus growth and temporary files to scratch folders, never to fuzz/corpus.
scratch_root=/dev/shm
[ -w "$scratch_root" ] || scratch_root="$build"
scratch=$(mktemp -d "$scratch_root/incubator-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/fuzz-logs"

# The first and the last coverage report of a log: "cov: N ft: N corp: N/...".
report_field() {  # log, which line ('1p' the first, '$p' the last), field name
    { grep -E '^#[0-9]+.*(INITED|DONE|NEW|REDUCE|pulse)' "$1" || true; } | sed -n "$2" |
        sed -nE "s/.* $3: ([0-9]+).*/\1/p"
}

failed=0
for t in "${targets[@]}"; do
    corpus="$scratch/$t/corpus"
    artifacts="$build/fuzz-artifacts/$t"
    log="$build/fuzz-logs/$t.log"
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$scratch/$t/tmp" "$artifacts"
    cp fuzz/corpus/"$t"/* "$corpus"/
    seeds=$(find "$corpus" -type f | wc -l)
    dict=()
    case "$t" in
        record_lines | port_settings) dict=(-dict="fuzz/dict/$t.dict") ;;
        ini_*) dict=(-dict=fuzz/dict/ini.dict) ;;
    esac
    status=0
    TMPDIR="$scratch/$t/tmp" "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" \
        "$corpus" >"$log" 2>&1 || status=$?
    runs=$(sed -nE 's/^stat::number_of_executed_units: ([0-9]+)/\1/p' "$log" | sed -n '$p')
    cov_start=$(report_field "$log" 1p cov)
    cov_end=$(report_field "$log" '$p' cov)
    units=$(find "$corpus" -type f | wc -l)
    # libFuzzer stops at the first crash, leak, time-out or memory overrun and saves its input.
    crashes=$(find "$artifacts" -type f | wc -l)
    [ "$status" -eq 0 ] || [ "$crashes" -gt 0 ] || crashes=1
    printf '%-20s %10s runs  coverage %s -> %s  corpus %s -> %s  crashes %s\n' "$t" \
        "${runs:-0}" "${cov_start:-?}" "${cov_end:-?}" "$seeds" "$units" "$crashes"
    if [ "$crashes" -gt 0 ]; then
        failed=1
        { grep -E 'property does not hold|ERROR:|SUMMARY:|Test unit written|runtime error' \
            "$log" || true; } | sed -n '1,5s/^/    /p'
    fi
done
exit "$failed"
