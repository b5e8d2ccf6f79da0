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

table() {  # heading of the two sides, then OPERATION:LIMIT, the largest ratio allowed
    local first=$1 second=$2 failed=0
    shift 2
    printf '%-34s %12s %12s %8s\n' operation "$first" "$second" ratio
    for entry in "$@"; do
        operation=${entry%:*} limit=${entry#*:}
        library=$(count "$operation" library)
        direct=$(count "$operation" direct)
        awk -v o="$operation" -v l="$library" -v d="$direct" -v max="$limit" \
            'BEGIN {over = l / d > max
                    printf "%-34s %12.1f %12.1f %8.3f%s\n", o, l, d, l / d, (over ? "  over " max : "")
                    exit over}' ||
            failed=1
    done
    return $failed
}

# The library beside the platform calls it makes. The direct side of the name read builds the
# returned text too, as any caller of the two calls must. EnumPowerSchemeGuid is held at
# 1.075: returning its 16-byte identifier from an out-of-line member function (call and
# return, the object argument, the status test, the result moved into registers and stored
# by the caller) takes more than the 5% of a direct call, 8 instructions, on its own.
table library direct GetSleepTimer:1.05 SetDisplayTimer:1.05 EnumPowerSchemeGuid:1.075 \
    ReadPowerSchemeName:1.20 WritePowerSchemeNameDescription:1.20 GetDefaultPlaneGUID:1.20
echo
# The C interface may cost at most 5% over the C++ operation it calls.
table "C function" "C++ call" calvoro_GetSleepTimer:1.05 calvoro_SetDisplayTimer:1.05 \
    calvoro_EnumPowerSchemeGuid:1.05
