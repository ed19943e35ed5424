#!/bin/bash
# The shipping packages under Wine, in a scratch prefix, with the commands that
# docs/administration.md gives: the x64 MSI installs silently and its program shows the dialog;
# a newer package replaces it, an older one is refused; a configuration saved by the program
# survives reg export, deletion and reg import, and the uninstall; the x86 MSI installs the
# 32-bit program into Program Files (x86).
#   installer_test.sh X64_BUILD_DIR I686_BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
[ -f "$2/QuarnEventLogConfiguration.exe" ] || { echo "no i686 build in $2: skipped"; exit 77; }
work=$build/installer-test
prefix=$work/wineprefix
fail() { echo "FAIL: $*" >&2; exit 1; }
win() { "$root/scripts/wine-run" "$prefix" "$@"; }
# The prefix's server and helpers would hold ctest's output open for a while after the test.
end_wine() { WINEPREFIX=$prefix /usr/lib/wine/wineserver64 -k 2>/dev/null || true; }
end_wine
trap end_wine EXIT

rm -rf "$work"
version=$(head -n 1 "$root/VERSION")
# Windows Installer compares only the first three numbers of a version.
IFS=. read -r major minor patch tweak <<<"$version"
newer=$major.$minor.$((patch + 1)).$tweak
"$root/installer/make-package" x64 "$build" "$work"
"$root/installer/make-package" x64 "$build" "$work" "$newer"
"$root/installer/make-package" x86 "$2" "$work"
cd "$work"

x64=QuarnEventLogConfiguration-$version-x64.msi
program="$prefix/drive_c/Program Files/Brivantex/Quarns/QuarnEventLogConfiguration.exe"
shortcut="QuarnEventLogConfiguration (64-bit).lnk"
# Programs and Features: name, version and publisher of the products installed.
products() {
    win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
        sed -nE 's/^ +(DisplayName|DisplayVersion|Publisher) +REG_SZ +//p' | paste -sd ' '
}
expect_products() { [ "$(products)" = "QuarnEventLogConfiguration Application $1 Brivantex" ] ||
    fail "$2, Programs and Features shows: $(products)"; }
# Runs the installed program and confirms its dialog (remote_dialog says how).
dialog() {
    win 'C:\Program Files\Brivantex\Quarns\QuarnEventLogConfiguration.exe' &
    win "$build/remote_dialog.exe" "$@"
    wait $!
}

win msiexec /i "$x64" /qn
[ -f "$program" ] || fail "program not installed"
[ -n "$(find "$prefix/drive_c" -name "$shortcut")" ] || fail "no Start-menu shortcut"
expect_products "$version" "after the install"
cmp "$build/res/QuarnEventLogConfiguration.ico" "$prefix"/drive_c/windows/Installer/*/ProgramIcon.ico
[ -f "$(dirname "$program")/quarnlogcfg.exe" ] || fail "command line not installed beside the program"
! x86_64-w64-mingw32-objdump -h "$program" | grep -q "\.debug_" || fail "debug sections installed"

win msiexec /i "QuarnEventLogConfiguration-$newer-x64.msi" /qn
expect_products "$newer" "after the upgrade"
! win msiexec /i "$x64" /qn /l*v install.log || fail "downgrade installed"
grep -q 'WIX_DOWNGRADE_DETECTED = {' install.log || fail "downgrade not detected"
grep -q 'ALLUSERS = 1' install.log || fail "not a per-machine package"
expect_products "$newer" "after the refused downgrade"

# Saved by the program: its edit, and a subsystem's word in another letter case respelt.
key='HKLM\SOFTWARE\Brivantex\Quarns\QuarnEventLogging'
win reg add "$key\\Scheduler" /v LogLevel /d trace /reg:32 /f
dialog 1 2 30 # Debug, Warnings
win reg export "$key" quarn-logging.reg /reg:32 /y
iconv -f UTF-16 -t UTF-8 quarn-logging.reg | tr -d '\r' | grep '^"' | diff - <(printf '%s\n' \
    '"DefaultLogLevel"="Debug"' '"DefaultLogType"="Warning"' '"ExpireLogsAfter"="30"' \
    '"LogLevel"="Trace"' '"LogType"="Default"')
win reg delete "$key" /reg:32 /f
! win reg query "$key" /s /reg:32 >/dev/null 2>&1 || fail "key not deleted"
win reg import quarn-logging.reg /reg:32
# Read back by the program, which saves all it shows on OK: the same configuration again.
dialog
win reg export "$key" read-back.reg /reg:32 /y
cmp quarn-logging.reg read-back.reg || fail "the program read back another configuration"

win msiexec /x "QuarnEventLogConfiguration-$newer-x64.msi" /qn
[ ! -e "$program" ] || fail "program left behind"
[ -z "$(find "$prefix/drive_c" -name "$shortcut")" ] || fail "shortcut left behind"
win reg export "$key" after-uninstall.reg /reg:32 /y
cmp quarn-logging.reg after-uninstall.reg || fail "the uninstall changed the configuration"

win msiexec /i "QuarnEventLogConfiguration-$version-x86.msi" /qn
program86="$prefix/drive_c/Program Files (x86)/Brivantex/Quarns/QuarnEventLogConfiguration.exe"
header=$(od -An -t u4 -j 60 -N 4 "$program86")
[ "$(od -An -t x2 -j $((header + 4)) -N 2 "$program86" | tr -d ' ')" = 014c ] ||
    fail "the x86 package did not install the i686 program"
win msiexec /x "QuarnEventLogConfiguration-$version-x86.msi" /qn
[ ! -e "$program86" ] || fail "32-bit program left behind"
echo "installer tests passed"
