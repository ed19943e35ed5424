#!/bin/bash
# Installs the pinned editor libraries (package-lock.json) into the build tree when they are
# missing or the lock changed, then runs editors_test.js with them.
#   run.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=$(realpath "$1")
dir=$build/dsc-editors
mkdir -p "$dir"
if [ ! -d "$dir/node_modules" ] || ! cmp -s "$here/package-lock.json" "$dir/package-lock.json"; then
    cp "$here/package.json" "$here/package-lock.json" "$dir/"
    (cd "$dir" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
fi
exec node "$here/editors_test.js" "$build" "$root" "$dir/node_modules"
