#!/usr/bin/env bash
# Instruction counts (valgrind's callgrind) of each PowerClass operation and of the direct
# platform call beside it: stable on a noisy machine, unlike time. Fails when the library
# adds more than its limit.
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

table() {  # heading of the two sides, then OPERATION:LIMIT, the most instructions it may add
    local first=$1 second=$2 failed=0
    shift 2
    printf '%-34s %12s %12s %8s %8s\n' operation "$first" "$second" added ratio
    for entry in "$@"; do
        operation=${entry%:*} limit=${entry#*:}
        library=$(count "$operation" library)
        direct=$(count "$operation" direct)
        awk -v o="$operation" -v l="$library" -v d="$direct" -v max="$limit" \
            'BEGIN {over = l - d > max
                    printf "%-34s %12.1f %12.1f %8.1f %8.3f%s\n", o, l, d, l - d, l / d,
                           (over ? "  over " max : "")
                    exit over}' ||
            failed=1
    done
    return $failed
}

# What the library adds to the platform calls it makes, in instructions: a few dozen beside a
# call that, on Windows, reads the registry, is more than no user can notice. The direct side
# of the name read builds the returned text too, as any caller of the two calls must.
status=0
table library direct GetSleepTimer:64 SetDisplayTimer:64 EnumPowerSchemeGuid:64 \
    ReadPowerSchemeName:640 WritePowerSchemeNameDescription:640 GetDefaultPlaneGUID:640 \
    ReadSetting:64 ||
    status=1
echo
# What a C function adds to the C++ operation it calls.
table "C function" "C++ call" calvoro_GetSleepTimer:32 calvoro_SetDisplayTimer:32 \
    calvoro_EnumPowerSchemeGuid:32 || status=1
exit $status
