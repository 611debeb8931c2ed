#!/bin/sh
# Every benchmark of the project, in one run. Usage: bench/run.sh [BUILD_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
"$here/platform.sh" "$build"
"$here/scaling.sh" "$build"
for script in "$here"/tool*.sh; do
  [ -x "$script" ] && "$script" "$build"
done
exit 0
