#!/bin/bash
# The dialog started at 144 and 192 DPI: the start-up case of test_dialog_dpi again, in a Wine
# prefix of its own whose resolution (LogPixels) each run sets; Wine reads it as a program starts.
# (The suite's own prefix stays at 96 DPI for every other test.)
#   dpi_test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
prefix=$build/dpi-test/wineprefix
# The prefix's server ends with the test, whatever way it ends.
trap 'WINEPREFIX=$prefix /usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT
win() { "$root/scripts/wine-run" "$prefix" "$@"; }
for dpi in 144 192; do
    win reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    out=$(QUARN_TEST_DPI=$dpi win "$build/test_dialog_dpi.exe" \
        --gtest_filter=DialogDpi.StartUpAtTheSystemDpi 2>&1) || { echo "$out"; exit 1; }
    echo "$out" | grep -q '^\[  PASSED  \] 1 test' || { echo "$out"; echo "FAIL: not run"; exit 1; }
    echo "start-up at $dpi DPI: passed"
done
