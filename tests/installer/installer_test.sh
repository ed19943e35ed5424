#!/bin/bash
# The shipping packages as scripts/package makes them, under Wine, in a scratch prefix, with the
# commands that docs/administration.md gives. scripts/package refuses an output folder it did not
# make (one of the tree, one holding a file of its own, its previous packages with such a file or
# changed) and a certificate without its password file, or with a wrong password, before it
# builds anything; a refused or failed run leaves the previous packages as they were, and a new
# run replaces them. The packages are signed with a throw-away certificate:
# osslsigncode accepts both programs and both MSIs against it and refuses a program changed after
# signing, and SHA256SUMS holds. The x64 MSI installs silently and its program shows the dialog;
# a rebuild of the same version replaces it, and so does a newer package; an older one is
# refused; a configuration saved by the program survives reg export, deletion and reg import,
# and the uninstall by product code. The x86 MSI installs the 32-bit program into Program Files
# (x86), and that program saves a configuration too.
# scripts/package builds both programs in the tree's build-package-x86 and build-package-x64,
# and leaves them there for its next run.
#   installer_test.sh X64_BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
for tool in openssl osslsigncode msiinfo python3; do
    command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
work=$build/installer-test
prefix=$work/wineprefix
fail() { echo "FAIL: $*" >&2; exit 1; }
win() { "$root/scripts/wine-run" "$prefix" "$@"; }
# The prefix's server and helpers would hold ctest's output open for a while after the test.
end_wine() { WINEPREFIX=$prefix /usr/lib/wine/wineserver64 -k 2>/dev/null || true; }
end_wine
trap end_wine EXIT

rm -rf "$work"
mkdir -p "$work/signer" "$work/packages"
cd "$work"
# A throw-away code-signing certificate, and its key in a PKCS#12 file as a publisher has it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quarn throw-away signer" \
    -addext extendedKeyUsage=codeSigning -keyout signer/key.pem -out signer/cert.pem 2>/dev/null
echo "throw-away password" >signer/password
openssl pkcs12 -export -inkey signer/key.pem -in signer/cert.pem -passout file:signer/password \
    -out signer/signer.pfx
echo "wrong password" >signer/wrong
export QUARN_SIGN_PFX=$work/signer/signer.pfx QUARN_SIGN_PASSWORD_FILE=$work/signer/password

# What a refused or failed run must leave as it was: the output folder, with nothing beside it;
# and, when refused, the build folders.
outputs() { find "$work" -mindepth 1 -maxdepth 2 -printf '%p %s %T@\n' | sort; }
builds() { find "$root" -maxdepth 2 -path "$root/build-package-*" -printf '%p %T@\n' | sort; }
refused() { # NAMED OUT_DIR [ENV-ARGUMENT]: scripts/package exits 2 at once with one line naming
    # NAMED, and leaves OUT_DIR as it was
    local before output status=0
    before=$(outputs && builds && find "$2" -printf '%p %s %T@\n' | sort)
    output=$(env "${@:3}" "$root/scripts/package" "$2" 2>&1) || status=$?
    [ "$status" = 2 ] && [[ $output == "package: "*"$1"* && $output != *$'\n'* ]] ||
        fail "scripts/package $2 (env ${*:3}): exit $status, not 2 with a line naming $1: $output"
    [ "$(outputs && builds && find "$2" -printf '%p %s %T@\n' | sort)" = "$before" ] ||
        fail "scripts/package $2 (env ${*:3}) changed or built"
}
# A folder it did not make is never replaced: one of the tree, and one with a file of its own.
refused "$root/cli" "$root/cli"
echo "my notes" >packages/notes.txt
refused "$work/packages" packages
rm packages/notes.txt
refused QUARN_SIGN_PFX packages -uQUARN_SIGN_PASSWORD_FILE
refused signer/wrong packages "QUARN_SIGN_PASSWORD_FILE=$work/signer/wrong"
"$root/scripts/package" packages
[ "$(find . -maxdepth 1 -name 'packages?*')" = "" ] ||
    fail "scripts/package left a folder beside the new packages"
# Failing after the build, here because the time-stamp server does not answer.
before=$(outputs)
! QUARN_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/ "$root/scripts/package" packages >/dev/null 2>&1 ||
    fail "scripts/package succeeded without its time-stamp server"
[ "$(outputs)" = "$before" ] || fail "a failed scripts/package changed the previous packages"
# The same version built again, as a second run of scripts/package makes it, over the previous
# packages (told by their SHA256SUMS), but not over a file of its own beside them or a package
# changed since.
cp -a packages rebuild
echo "my notes" >rebuild/notes.txt
refused "$work/rebuild" rebuild
rm rebuild/notes.txt
package=$(find rebuild -name '*-x64.zip')
cp "$package" unchanged.zip
echo >>"$package"
refused "$work/rebuild" rebuild
mv unchanged.zip "$package"
"$root/scripts/package" rebuild
version=$(head -n 1 "$root/VERSION")
# Windows Installer compares only the first three numbers of a version.
IFS=. read -r major minor patch tweak <<<"$version"
newer=$major.$minor.$((patch + 1)).$tweak
"$root/installer/make-package" x64 "$root/build-package-x64" newer "$newer"
x64=QuarnEventLogConfiguration-$version-x64.msi
x86=QuarnEventLogConfiguration-$version-x86.msi
newer_x64=QuarnEventLogConfiguration-$newer-x64.msi

(cd packages && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not hold"
[ "$(wc -l <packages/SHA256SUMS)" = 6 ] ||
    fail "SHA256SUMS lists $(wc -l <packages/SHA256SUMS) files, not 6"
verify() {
    osslsigncode verify -CAfile signer/cert.pem -in "$1" >verify.log 2>&1 ||
        { cat verify.log >&2; fail "the signature of $1 is not accepted"; }
}
for arch in x64 x86; do
    python3 -m zipfile -e "packages/QuarnEventLogConfiguration-$version-$arch.zip" "$arch"
    verify "$arch/QuarnEventLogConfiguration.exe"
    verify "$arch/quarnlogcfg.exe"
    verify "packages/QuarnEventLogConfiguration-$version-$arch.msi"
    cmp "$arch/quarnlogcfg.schema.json" "$root/cli/quarnlogcfg.schema.json" ||
        fail "the $arch zip's schema is not the program's"
    grep -q '"type": "Brivantex.Quarns/EventLogging"' "$arch/quarnlogcfg.dsc.resource.json" ||
        fail "no DSC manifest in the $arch zip"
done
cp x64/QuarnEventLogConfiguration.exe changed.exe
printf 'QUARN' | dd of=changed.exe bs=1 seek=4096 conv=notrunc status=none
! cmp -s changed.exe x64/QuarnEventLogConfiguration.exe || fail "the program was not changed"
! osslsigncode verify -CAfile signer/cert.pem -in changed.exe >/dev/null 2>&1 ||
    fail "a program changed after signing verifies"

program="$prefix/drive_c/Program Files/Brivantex/Quarns/QuarnEventLogConfiguration.exe"
shortcut="QuarnEventLogConfiguration (64-bit).lnk"
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
# Programs and Features in the registry view of one architecture (32 or 64): a line per product,
# "name | version | publisher | install location | product code".
products() {
    win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s "/reg:$1" |
        tr -d '\r' | awk -F '    ' -v OFS=' | ' '
            function show() { if (name != "") print name, version, publisher, location, code }
            /^HKEY/ { show(); name = version = publisher = location = ""; code = $0
                      sub(/.*\\/, "", code) }
            $2 == "DisplayName" { name = $4 }
            $2 == "DisplayVersion" { version = $4 }
            $2 == "Publisher" { publisher = $4 }
            $2 == "InstallLocation" { location = $4 }
            END { show() }' | sort
}
x64_product() { # VERSION MSI
    echo "QuarnEventLogConfiguration Application (64-bit) | $1 | Brivantex |" \
        "C:\\Program Files\\Brivantex\\Quarns\\ | $(product_code "$2")"
}
expect_products() { # VIEW EXPECTED WHEN
    [ "$(products "$1")" = "$2" ] || fail "$3, Programs and Features shows: $(products "$1")"
}
# Runs an installed program and confirms its dialog (remote_dialog says how).
dialog() { # PROGRAM [LEVEL TYPE DAYS]
    win "$1" &
    win "$build/remote_dialog.exe" "${@:2}"
    wait $!
}
key='HKLM\SOFTWARE\Brivantex\Quarns\QuarnEventLogging'
saved() { # the configuration's values as reg export writes them
    win reg export "$key" "$1" /reg:32 /y
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | grep '^"'
}

win msiexec /i "packages\\$x64" /qn /norestart
[ -f "$program" ] || fail "program not installed"
verify "$program"
[ -n "$(find "$prefix/drive_c" -name "$shortcut")" ] || fail "no Start-menu shortcut"
expect_products 64 "$(x64_product "$version" "packages/$x64")" "after the install"
cmp "$root/build-package-x64/res/QuarnEventLogConfiguration.ico" \
    "$prefix"/drive_c/windows/Installer/*/ProgramIcon.ico
for file in quarnlogcfg.exe quarnlogcfg.schema.json quarnlogcfg.dsc.resource.json \
    quarnlogcfg.dsc.config.schema.json; do
    [ -f "$(dirname "$program")/$file" ] || fail "$file not installed beside the program"
done
! x86_64-w64-mingw32-objdump -h "$program" | grep -q "\.debug_" || fail "debug sections installed"

[ "$(product_code rebuild/"$x64")" != "$(product_code packages/"$x64")" ] ||
    fail "rebuild, same code"
win msiexec /i "rebuild\\$x64" /qn
expect_products 64 "$(x64_product "$version" "rebuild/$x64")" "after the same-version rebuild"

win msiexec /i "newer\\$newer_x64" /qn
expect_products 64 "$(x64_product "$newer" "newer/$newer_x64")" "after the upgrade"
log="$prefix/drive_c/windows/temp/quarn-install.log"
! win msiexec /i "packages\\$x64" /qn /l*v 'C:\Windows\Temp\quarn-install.log' ||
    fail "downgrade installed"
grep -q 'WIX_DOWNGRADE_DETECTED = {' "$log" || fail "downgrade not detected"
grep -q 'ALLUSERS = 1' "$log" || fail "not a per-machine package"
expect_products 64 "$(x64_product "$newer" "newer/$newer_x64")" "after the refused downgrade"

# Saved by the program: its edit, and a subsystem's word in another letter case respelt.
win reg add "$key\\Scheduler" /v LogLevel /d trace /reg:32 /f
dialog 'C:\Program Files\Brivantex\Quarns\QuarnEventLogConfiguration.exe' 1 2 30 # Debug, Warnings
saved quarn-logging.reg | diff - <(printf '%s\n' '"DefaultLogLevel"="Debug"' \
    '"DefaultLogType"="Warning"' '"ExpireLogsAfter"="30"' '"LogLevel"="Trace"' '"LogType"="Default"')
win reg delete "$key" /reg:32 /f
! win reg query "$key" /s /reg:32 >/dev/null 2>&1 || fail "key not deleted"
win reg import quarn-logging.reg /reg:32
# Read back by the program, which saves all it shows on OK: the same configuration again.
dialog 'C:\Program Files\Brivantex\Quarns\QuarnEventLogConfiguration.exe'
win reg export "$key" read-back.reg /reg:32 /y
cmp quarn-logging.reg read-back.reg || fail "the program read back another configuration"

# Uninstalled by the product code that Programs and Features shows, without the package.
code=$(products 64 | awk -F ' [|] ' '{ print $5 }')
win msiexec /x "$code" /qn
[ ! -e "$program" ] || fail "program left behind"
[ -z "$(find "$prefix/drive_c" -name "$shortcut")" ] || fail "shortcut left behind"
[ -z "$(products 64)" ] || fail "Programs and Features still shows $(products 64)"
win reg export "$key" after-uninstall.reg /reg:32 /y
cmp quarn-logging.reg after-uninstall.reg || fail "the uninstall changed the configuration"

win msiexec /i "packages\\$x86" /qn
program86="$prefix/drive_c/Program Files (x86)/Brivantex/Quarns/QuarnEventLogConfiguration.exe"
header=$(od -An -t u4 -j 60 -N 4 "$program86")
[ "$(od -An -t x2 -j $((header + 4)) -N 2 "$program86" | tr -d ' ')" = 014c ] ||
    fail "the x86 package did not install the i686 program"
expect_products 32 "QuarnEventLogConfiguration Application | $version | Brivantex |\
 C:\\Program Files (x86)\\Brivantex\\Quarns\\ | $(product_code packages/"$x86")" \
    "after the x86 install"
# The 32-bit program, run as deployed, saves the configuration it shows with its edit.
dialog 'C:\Program Files (x86)\Brivantex\Quarns\QuarnEventLogConfiguration.exe' 2 3 7
saved saved-by-x86.reg | diff - <(printf '%s\n' '"DefaultLogLevel"="Trace"' \
    '"DefaultLogType"="Information"' '"ExpireLogsAfter"="7"' '"LogLevel"="Trace"' \
    '"LogType"="Default"') || fail "the 32-bit program saved another configuration"
win msiexec /x "packages\\$x86" /qn
[ ! -e "$program86" ] || fail "32-bit program left behind"
echo "installer tests passed"
