#!/usr/bin/env bash
# calvoro.exe under Wine with the stand-in powrprof.dll, as an admin runs it: on an ANSI code
# page that is not UTF-8, with names and file names in any language on the command line, the
# aliases, export and import, and the active plan: applied again after its timeouts changed,
# shown and set; the default-plan record in Wine's registry, the power source and modes, an
# active plan that policy pins, and plans copied and deleted.
# Usage: program_test.sh WINE_RUN PREFIX calvoro.exe code_page.exe calvorow.exe
set -euo pipefail
wine_run=$1 prefix=$2 program=$3 code_page=$4 windowless=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CALVORO_STANDIN_STATE="$work/machine.json" CALVORO_STANDIN_LOG="$work/applied.log"
export LC_ALL=C.UTF-8  # UTF-8 on the Unix side; Wine gives programs ANSI code page 1252

passed=0 failed=0
check() {  # check "what" COMMAND...: the command must succeed
    if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1" >&2; fi
}
calvoro() { "$wine_run" --prefix "$prefix" "$program" "$@" | tr -d '\r'; }
field() { python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"; }

acp=$("$wine_run" --prefix "$prefix" "$code_page" | tr -d '\r')
echo "GetACP() = $acp"
check "the ANSI code page is not UTF-8" test "$acp" != 65001

calvoro rename SCHEME_BALANCED "Énergie ☀" "Plan de tous les jours" >/dev/null
check "a name with é and ☀ reads back" \
    test "$(calvoro list --json | field 'd["plans"][0]["name"]')" = "Énergie ☀"
check "the name selects the plan in lower case" \
    test "$(calvoro query "énergie ☀" --json | field 'd["plans"][0]["id"]')" = 381B4222-F694-41F0-9685-FF5BB260DF2E
calvoro rename "énergie ☀" "🔋" "Batterie" >/dev/null
check "U+1F50B reads back" test "$(calvoro list --json | field 'd["plans"][0]["name"]')" = "🔋"

# Not the active plan (Balanced): stored, not applied again.
check "an alias reaches Power saver" \
    test "$(calvoro set scheme_max display dc 3 --json | field 'd["changes"][0]["plan"]')" = "Power saver"
check "no re-apply after changing another plan" test ! -s "$CALVORO_STANDIN_LOG"
calvoro set SCHEME_BALANCED sleep ac 20 >/dev/null
check "one re-apply after changing the active plan" \
    test "$(tr -d '\r' <"$CALVORO_STANDIN_LOG")" = "PowerSetActiveScheme 381B4222-F694-41F0-9685-FF5BB260DF2E"
message=$(CALVORO_STANDIN_ACTIVE=unknown "$wine_run" --prefix "$prefix" "$program" \
    set SCHEME_BALANCED sleep ac 21 2>&1 >/dev/null | tr -d '\r')
check "an unknown active plan: stored, to take effect later" \
    grep -q "takes effect when the plan is next applied" <<<"$message"

calvoro export --output 'C:\plans.json' >/dev/null
cp "$CALVORO_STANDIN_STATE" "$work/before.json"
check "export then import changes nothing" \
    test "$(calvoro import 'C:\plans.json' --json | field 'len(d["changes"])')" = 0
check "the machine is as it was" cmp -s "$CALVORO_STANDIN_STATE" "$work/before.json"
check "the exported name survived" \
    grep -q '"name": "🔋"' "$prefix/drive_c/plans.json"

# File names in any language, on the wide command line; "/" starts a name, not an option.
calvoro export --output 'C:\Énergie ☀.json' >/dev/null
check "export writes a file named in any language" test -f "$prefix/drive_c/Énergie ☀.json"
check "import reads it" \
    test "$(calvoro import 'C:\Énergie ☀.json' --json | field 'len(d["changes"])')" = 0
calvoro rename SCHEME_MAX /Night "Nuit" >/dev/null
check "a rename to /Night" test "$(calvoro query SCHEME_MAX --json | field 'd["plans"][0]["name"]')" = "/Night"
calvoro rename SCHEME_MAX -- -Day "Jour" >/dev/null
check "a rename to -Day after --" test "$(calvoro query SCHEME_MAX --json | field 'd["plans"][0]["name"]')" = "-Day"

# Every setting of a plan: Windows' catalogue through the real binding, and a change read back.
settings=$(calvoro settings SCHEME_BALANCED --hidden --json)
check "settings lists the catalogue" test "$(field 'len(d["settings"])' <<<"$settings")" -gt 60
check "boost mode is hidden" test "$(field '[s["hidden"] for s in d["settings"] if s["alias"] == "PERFBOOSTMODE"]' <<<"$settings")" = "[True]"
calvoro set SCHEME_BALANCED PROCTHROTTLEMAX dc 80 >/dev/null
check "a setting reads back as set" \
    test "$(calvoro settings SCHEME_BALANCED PROCTHROTTLEMAX --json | field '[d["settings"][0][s] for s in ("ac", "dc")]')" = "[100, 80]"

# activate reaches the platform, and SCHEME_CURRENT follows it.
: >"$CALVORO_STANDIN_LOG"
calvoro activate SCHEME_MAX >/dev/null
check "activate applies the plan" \
    test "$(tr -d '\r' <"$CALVORO_STANDIN_LOG")" = "PowerSetActiveScheme A1841308-3541-4FAB-BC81-F71556F20B4A"
check "the active plan is the one applied" \
    test "$(calvoro active --json | field 'd["id"]')" = A1841308-3541-4FAB-BC81-F71556F20B4A
check "SCHEME_CURRENT names it" \
    test "$(calvoro query scheme_current --json | field 'd["plans"][0]["name"]')" = "-Day"

# The default-plan record in Wine's registry: written as a string value, read back, cleared.
key='HKCU\Software\Quandrel\Zephlo\PowerPolicies\DEV_DEFAULT_PLANE'
calvoro set-default ac SCHEME_MIN >/dev/null
check "set-default writes the AC value as a string" \
    grep -q "AC.*REG_SZ.*8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C" \
    <<<"$("$wine_run" --prefix "$prefix" reg query "$key" /v AC | tr -d '\r')"
check "default reads it back" \
    test "$(calvoro default ac --json | field 'd["id"]')" = 8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C
check "clear-default removes it" test "$(calvoro clear-default ac --json | field 'd["cleared"]')" = True
check "and the record is gone" test "$(calvoro default ac --json | field 'd["id"]')" = None

# The power source and the modes come from the stand-in's machine.
check "source answers from the stand-in" \
    test "$(calvoro source --json | field 'd["source"], d["battery"]')" = "ac True"
calvoro mode set dc performance >/dev/null
check "a mode set is read back" test "$(calvoro mode --json | field 'd["dc"]')" = performance

# refused PATTERN VARIABLE=VALUE ARGS...: the run, with that variable set, exits with 1 and
# says PATTERN.
refused() {
    local message status=0
    message=$(env "$2" "$wine_run" --prefix "$prefix" "$program" "${@:3}" 2>&1 >/dev/null) ||
        status=$?
    [ "$status" = 1 ] && grep -q "$1" <<<"$message"
}

# Group Policy pins the active plan: activate says so, with exit 1.
check "activate on a pinned plan says that policy sets it" \
    refused "Group Policy sets the active plan" CALVORO_STANDIN_POLICY=pinned activate SCHEME_BALANCED
check "set on the pinned active plan stores the change and says that policy sets the plan" \
    refused "Group Policy sets the active plan" CALVORO_STANDIN_POLICY=pinned \
    set SCHEME_CURRENT sleep ac 5

# A plan's life through the real binding: copies of a plan and of a template that is not
# listed, one deleted; refused where policy forbids new plans, and on Wine's own powrprof.
copy=00000000-0000-0000-0000-00000000C0DE
check "duplicate copies a plan under the identifier given" \
    test "$(calvoro duplicate SCHEME_BALANCED Meeting --id $copy --json | field 'd["id"]')" = $copy
check "the copy has its name" test "$(calvoro query $copy --json | field 'd["plans"][0]["name"]')" = Meeting
check "a template that is not listed is copied" \
    test "$(calvoro duplicate e9a42b02-d5df-448d-aa00-03f14749eb61 --json | field 'd["name"]')" = "Ultimate Performance"
calvoro delete Meeting >/dev/null
check "delete removes the copy" \
    test "$(calvoro list --json | field "[p['id'] for p in d['plans']].count('$copy')")" = 0
check "duplicate says that Group Policy forbids new plans" \
    refused "Group Policy forbids creating" CALVORO_STANDIN_POLICY=no-new-plans duplicate SCHEME_BALANCED
check "duplicate on Wine's own powrprof says the call is lacking" \
    refused "lacks the call" WINEDLLOVERRIDES=powrprof=b duplicate SCHEME_BALANCED

# The watcher: the stand-in's source is changed from outside, in its state file.
edit_state() {  # edit_state PYTHON-STATEMENT: changes the stand-in's machine as d
    python3 -c "import json,sys; p=sys.argv[1]; d=json.load(open(p)); $1; open(p,'w').write(json.dumps(d))" \
        "$CALVORO_STANDIN_STATE"
}
calvoro set-default dc SCHEME_MAX >/dev/null
calvoro set-default ac SCHEME_BALANCED >/dev/null
calvoro activate SCHEME_BALANCED >/dev/null
edit_state 'd["power"]["source"]="dc"'
check "watch --once applies the plan recorded for the stand-in's source" \
    test "$(calvoro watch --once --json | field 'd["source"], d["plan"], d["action"]')" = \
    "dc A1841308-3541-4FAB-BC81-F71556F20B4A applied"

rm -f "$prefix/drive_c/watch.log"
"$wine_run" --prefix "$prefix" "$windowless" watch --once --json --log 'C:\watch.log'
check "calvorow, without a console, appends its decision to the log" \
    test "$(field 'd["action"]' <"$prefix/drive_c/watch.log")" = already-active

lines() { tr -d '\r' <"$work/watch.out" | wc -l; }
wait_lines() { for _ in $(seq 200); do [ "$(lines)" -ge "$1" ] && return; sleep 0.1; done; }
"$wine_run" --prefix "$prefix" "$program" watch --json --debounce 0.5 >"$work/watch.out" &
wait_lines 1
edit_state 'd["power"]["source"]="ac"'
wait_lines 2
edit_state 'd["resumes"]=d.get("resumes",0)+1'
wait_lines 3
# Ctrl+C reaches the Windows process as CTRL_C_EVENT.
pkill -INT -f 'calvoro.exe watch' || true
wait
decisions=$(tr -d '\r' <"$work/watch.out" | python3 -c '
import json, sys
print(" ".join(d["trigger"] + ":" + d["source"] + ":" + d["action"] for d in map(json.loads, sys.stdin)))')
echo "watch decided: $decisions"
check "watch follows a change of source and a resume, then stops" \
    test "$decisions" = "start:dc:already-active source:ac:applied resume:ac:already-active stop:ac:stopped"

echo "program under Wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
