#!/usr/bin/env bash
# Instruction counts (valgrind's callgrind) of each PowerClass operation and of the direct
# platform call beside it: stable on a noisy machine, unlike time.
# Usage: bench/callgrind.sh [BUILD_DIR]   (default build/bench, made by the bench preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
driver="$build/bench/calvoro_instructions"
iterations=2000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count() {  # instructions per call of one side of one pair
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/out" \
        "$driver" "$1" "$2" "$iterations" >/dev/null 2>&1
    awk -v n="$iterations" '/^totals:/ {print $2 / n; exit}' "$work/out"
}

table() {  # heading of the two sides, the largest ratio allowed (0: none), operations
    local first=$1 second=$2 limit=$3 failed=0
    shift 3
    printf '%-34s %12s %12s %8s\n' operation "$first" "$second" ratio
    for operation in "$@"; do
        library=$(count "$operation" library)
        direct=$(count "$operation" direct)
        awk -v o="$operation" -v l="$library" -v d="$direct" -v max="$limit" \
            'BEGIN {over = max > 0 && l / d > max
                    printf "%-34s %12.1f %12.1f %8.3f%s\n", o, l, d, l / d, (over ? "  over " max : "")
                    exit over}' ||
            failed=1
    done
    return $failed
}

table library direct 0 GetSleepTimer SetDisplayTimer EnumPowerSchemeGuid ReadPowerSchemeName \
    WritePowerSchemeNameDescription GetDefaultPlaneGUID
echo
# The C interface may cost at most 5% over the C++ operation it calls.
table "C function" "C++ call" 1.05 \
    calvoro_GetSleepTimer calvoro_SetDisplayTimer calvoro_EnumPowerSchemeGuid
