#!/usr/bin/env bash
# scripts/wine32 on every kind of host, each built as stand-in files under a root of its own:
# wine32 installed or not, a kernel that runs 32-bit programs or not (the 32-bit loader then
# fails as such a kernel makes it fail), and CALVORO_WINE32 unset, 0, 1 or wrong.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

host() {  # host NAME wine32(yes|no) kernel32(yes|no): makes the root of one kind of host
    mkdir -p "$work/$1/usr/lib/wine" "$work/$1/lib"
    printf '#!/bin/sh\n' >"$work/$1/usr/lib/wine/wine64"
    if [ "$2" = yes ]; then
        printf '#!/bin/sh\n' >"$work/$1/usr/lib/wine/wine"
        if [ "$3" = yes ]; then
            printf '#!/bin/sh\necho ld.so\n' >"$work/$1/lib/ld-linux.so.2"
        else
            printf '#!/bin/sh\necho "cannot execute binary file: Exec format error" >&2; exit 126\n' >"$work/$1/lib/ld-linux.so.2"
        fi
    fi
    chmod +x "$work/$1"/usr/lib/wine/* "$work/$1"/lib/* 2>/dev/null || true
}
host able yes yes
host kernel yes no
host none no no

passed=0 failed=0
# host, CALVORO_WINE32, expected exit status, stdout, --loader's stdout, and a piece of stderr
while IFS='|' read -r name setting status printed loader message; do
    got=0
    out=$(CALVORO_WINE_ROOT="$work/$name" CALVORO_WINE32=$setting "$root/scripts/wine32" 2>"$work/err") || got=$?
    got_loader=$(CALVORO_WINE_ROOT="$work/$name" CALVORO_WINE32=$setting "$root/scripts/wine32" --loader 2>/dev/null) || true
    loader=${loader//ROOT/$work/$name}
    if [ "$got" = "$status" ] && [ "$out" = "$printed" ] && [ "$got_loader" = "$loader" ] &&
        if [ -n "$message" ]; then grep -qF -- "$message" "$work/err"; else [ ! -s "$work/err" ]; fi; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "failed: $name with CALVORO_WINE32=$setting: exit $got, printed \"$out\", loader \"$got_loader\", stderr: $(cat "$work/err")"
    fi
done <<'CASES'
able||0||wine|
able|1|0||wine|
able|0|1|CALVORO_WINE32=0 says not to run them|ROOT/usr/lib/wine/wine64|
kernel||1|this kernel runs no 32-bit program|ROOT/usr/lib/wine/wine64|
kernel|0|1|this kernel runs no 32-bit program|ROOT/usr/lib/wine/wine64|
kernel|1|2|||CALVORO_WINE32=1 asks for the 32-bit Windows programs, but this host cannot run them: this kernel runs no 32-bit program
none||1|wine32 is not installed|ROOT/usr/lib/wine/wine64|
none|1|2|||but this host cannot run them: wine32 is not installed
able|yes|2|||CALVORO_WINE32 must be 0 or 1, not "yes"
CASES
echo "wine32: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
