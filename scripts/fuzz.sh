#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang under AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs each one for a bounded time on its generated seeds. Fails on any finding (crash, sanitizer
# report, broken check, leak, time-out), leaving the input in build-fuzz/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS_PER_HARNESS] [HARNESS...]   (default 30 s, every harness)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    harnesses=(fuzz_db fuzz_userdb20 fuzz_userdb25 fuzz_merge fuzz_excel fuzz_xml fuzz_json fuzz_recovery)
fi

scripts/install-deps.sh clang libclang-rt-14-dev

build=build-fuzz # the fuzz preset's folder
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"${FUZZ_JOBS:-2}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
artifacts="$build/fuzz/artifacts"
mkdir -p "$artifacts"
for h in "${harnesses[@]}"; do
    corpus="$build/fuzz/corpus/$h"
    mkdir -p "$corpus"
    log="$build/fuzz/$h.log"
    echo "== $h (${seconds}s)"
    # New inputs go to the corpus folder; the generated seeds are only read.
    if ! "$build/fuzz/$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$h-" "$corpus" "$build/fuzz/seeds/$h" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz: $h found a problem; the input is in $artifacts, the whole log in $log" >&2
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" || true
done
echo "fuzz: all harnesses ran clean"
