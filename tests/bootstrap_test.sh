#!/usr/bin/env bash
# scripts/bootstrap on a machine whose apt indexes partly fail: stand-ins for apt-get, dpkg,
# dpkg-query and id on PATH. `update` fails as a mirror in mid-sync makes it fail (exit 100);
# bootstrap must try again, then go on, and leave the verdict to `install`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/sh
echo "apt-get $*" >>"$CALLS"
case "$1" in
update) echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size" >&2; exit 100 ;;
install) [ -z "$INSTALL_FAILS" ] || { echo "E: Unable to locate package $INSTALL_FAILS" >&2; exit 100; } ;;
esac
STANDIN
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/bin/sh
# Every package is installed but libcli11-dev.
for last; do :; done
[ "$last" = libcli11-dev ] && exit 1
printf 'install ok installed'
STANDIN
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
printf '#!/bin/sh\n' >"$work/bin/dpkg"
chmod +x "$work/bin"/*

run() {
    : >"$work/calls"
    PATH="$work/bin:$PATH" CALLS="$work/calls" CALVORO_APT_RETRY_SECONDS=0 INSTALL_FAILS="$1" \
        "$root/scripts/bootstrap" >"$work/out" 2>&1
}

passed=0 failed=0
check() {
    if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "failed: $1"; cat "$work/out"; fi
}
status=0
run "" || status=$?
check "installs although every update failed" '[ $status -eq 0 ]'
check "tries the update three times" '[ "$(grep -c "^apt-get update" "$work/calls")" -eq 3 ]'
check "then installs what is missing" 'grep -q "^apt-get install .*libcli11-dev$" "$work/calls"'
status=0
run libcli11-dev || status=$?
check "a failed install fails, with apt-get's own words" \
    '[ $status -ne 0 ] && grep -q "Unable to locate package libcli11-dev" "$work/out"'
echo "bootstrap: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
