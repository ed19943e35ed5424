#!/bin/bash
# The built quarnlogcfg.exe under Wine, in a prefix of its own (the registry it changes is that
# prefix's real one, in the 32-bit view): help, version and exit codes, its keys in the 32-bit
# view, standard input and outputs that fail, a baseline that the dialog saved surviving export,
# deletion of the key and import (the dialog then shows and saves the same bytes), the
# detection/remediation pair converging on a machine with problems the baseline does not govern,
# and a key whose name the ANSI code page cannot hold deleted by that name.
#   cli_test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
work=$build/cli-test
prefix=$work/wineprefix
fail() { echo "FAIL: $*" >&2; exit 1; }
# The prefix's server ends with the test, whatever way it ends.
trap 'WINEPREFIX=$prefix /usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT
win() { "$root/scripts/wine-run" "$prefix" "$@"; }
cli() { win "$build/quarnlogcfg.exe" "$@"; }
# Windows paths for the program: a Unix path would read as a /option.
winpath() { echo "Z:${1//\//\\}"; }
# The exit code of a command that is expected to fail.
status() { local rc=0; "$@" >/dev/null 2>&1 || rc=$?; echo $rc; }
# The dialog, confirmed from outside (tests/installer/remote_dialog.cpp says how).
dialog() {
    win "$build/QuarnEventLogConfiguration.exe" &
    win "$build/remote_dialog.exe" "$@"
    wait $!
}
mkdir -p "$work"
cd "$work"
rm -f ./*.json ./*.reg
key='HKLM\SOFTWARE\Brivantex\Quarns\QuarnEventLogging'
win reg delete 'HKLM\SOFTWARE\Brivantex' /reg:32 /f >/dev/null 2>&1 || true

# A declared execution level: without one, Windows would virtualise a refused write.
grep -aq 'requestedExecutionLevel level="asInvoker"' "$build/quarnlogcfg.exe" ||
    fail "no manifest with an execution level"
cli --help | grep -q '2  bad command line' || fail "no exit codes in --help"
cli '/?' | grep -q 'Subcommands:' || fail "/? shows no help"
[ "$(status cli show --color)" = 2 ] || fail "an unknown option is not exit code 2"
[ "$(status cli frobnicate)" = 2 ] || fail "an unknown command is not exit code 2"
[ "$(status cli set Nowhere /LEVEL:Trace)" = 1 ] || fail "an unknown name is not exit code 1"
[ "$(cli /VERSION | tr -d '\r')" = "quarnlogcfg $(head -n 1 "$root/VERSION")" ] ||
    fail "the version is not VERSION's"

# Written into the 32-bit view, where the dialog and the 32-bit components look.
cli add Scheduler
cli set scheduler /level:trace
win reg query "$key\\Scheduler" /v LogLevel /reg:32 | grep -q 'REG_SZ *Trace' ||
    fail "not in the 32-bit view"
! win reg query "$key" /reg:64 >/dev/null 2>&1 || fail "written into the 64-bit view"

# The dialog saves; export; the key is deleted; import; the dialog shows and saves the same.
dialog 1 2 30 # Debug, Warnings
cli export "$(winpath "$work/baseline.json")"
grep -q '"expireLogsAfter": 30' baseline.json || fail "export: $(cat baseline.json)"
win reg export "$key" saved.reg /reg:32 /y
win reg delete "$key" /reg:32 /f
[ "$(status cli check --expect "$(winpath "$work/baseline.json")")" = 1 ] ||
    fail "check finds no drift with the key deleted"
cli import "$(winpath "$work/baseline.json")"
cli check --expect "$(winpath "$work/baseline.json")" || fail "drift right after the import"
dialog
win reg export "$key" read-back.reg /reg:32 /y
cmp saved.reg read-back.reg || fail "the dialog read back another configuration"

# A bad document writes nothing, from a file or from standard input.
echo '{"expireLogsAfter": 366}' >bad.json
[ "$(status cli import "$(winpath "$work/bad.json")")" = 2 ] || fail "a bad file is not exit 2"
echo '{"expireLogsAfter": 1e999}' | { cli import - >/dev/null 2>&1 && rc=0 || rc=$?; [ $rc = 2 ]; } ||
    fail "a bad document on standard input is not exit 2"
win reg export "$key" after-bad.reg /reg:32 /y
cmp saved.reg after-bad.reg || fail "a bad file changed the configuration"

# Output that cannot be written is a failure, not a success: the program's own output, not the
# runner's pipe.
direct() { WINEPREFIX=$prefix WINEDEBUG=-all /usr/lib/wine/wine64 "$build/quarnlogcfg.exe" "$@"; }
rc=0; direct export - >/dev/full 2>/dev/null || rc=$?
[ $rc = 3 ] || fail "export to a full disk ends with $rc, not 3"
rc=0; direct show >&- 2>/dev/null || rc=$?
[ $rc = 3 ] || fail "show to a closed output ends with $rc, not 3"

# The guide's detection and remediation, with the program's full path, on a machine where a
# subsystem the baseline does not name holds a misspelt word: one pass converges, and that
# problem stays a note.
win reg add "$key\\Other" /v LogLevel /d Dbg /reg:32 /f >/dev/null
echo '{"expireLogsAfter": 14, "subsystems": [{"name": "Scheduler", "level": "Debug"}]}' |
    tr -d '\n' >baseline.json
program=$(winpath "$build/quarnlogcfg.exe")
detect() { win cmd /c "$program check --expect $(winpath "$work/baseline.json")"; }
rc=0; detect >detect.txt 2>&1 || rc=$?
[ $rc = 1 ] || fail "detection before remediation ends with $rc: $(cat detect.txt)"
echo '{"subsystems": [{"name": "Scheduler", "level": "Debug"}], "expireLogsAfter": 14}' |
    cli import - | tr -d '\r' | tail -n 1 | grep -Eqx '[0-9]+ values? written' || fail "remediation"
rc=0; detect >detect.txt 2>&1 || rc=$?
[ $rc = 0 ] || fail "detection after remediation ends with $rc: $(cat detect.txt)"
grep -q '^note: .*Other: LogLevel holds "Dbg"' detect.txt || fail "no note: $(cat detect.txt)"
[ "$(cli import "$(winpath "$work/baseline.json")" | tr -d '\r')" = "nothing to change" ] ||
    fail "a second remediation changed something"
win reg delete 'HKLM\SOFTWARE\Brivantex' /reg:32 /f >/dev/null

# A key whose name the ANSI code page cannot hold, as a Unicode program writes it, fails a strict
# baseline until remove deletes it by its name: the command line is read as Unicode. (The name
# goes from this script to Wine in UTF-8.)
export LC_ALL=C.UTF-8
win reg add "$key\\日志" /reg:32 /f >/dev/null
[ "$(status cli check --expect - --strict <<<'{}')" = 1 ] || fail "a strict check passes with 日志"
cli remove 日志 >/dev/null
cli check --expect - --strict <<<'{}' >/dev/null || fail "a strict check fails after remove 日志"
echo "command-line tests passed"
