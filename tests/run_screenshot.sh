#!/bin/bash
# The README's run command without a display: it must open the dialog on a virtual display and
# save a screenshot that shows it (not a blank screen).
#   run_screenshot.sh OUTPUT.png
set -euo pipefail
shot=$1
rm -f "$shot"
printed=$(env -u DISPLAY "$(dirname "$0")/../scripts/run" "$shot" | tail -n 1)
[ "$printed" = "$(realpath -m "$shot")" ] || { echo "printed '$printed', not the path"; exit 1; }
[ -s "$shot" ] || { echo "no screenshot"; exit 1; }
# A blank virtual screen is one colour; the dialog adds many.
colours=$(identify -format '%k' "$shot")
[ "$colours" -gt 8 ] || { echo "the screenshot has $colours colours: no dialog"; exit 1; }
