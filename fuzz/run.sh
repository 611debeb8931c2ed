#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 60),
# one after the other: the command line and every parser of foreign input. An input
# that breaks a target is kept in fuzz/regressions/<target>/, which the normal test run
# replays. Usage: fuzz/run.sh [BUILD_DIR] [TARGET...]   (targets: see fuzz/Targets.cmake)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}/fuzz
[ $# -gt 0 ] && shift
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVRAX_FUZZ=ON -DVRAX_BENCH=OFF >/dev/null
targets=${*:-"command_line $(sed -n 's/^set(VRAX_PLATFORM_FUZZ_TARGETS \(.*\))$/\1/p' "$here/Targets.cmake")"}
for target in $targets; do
  cmake --build "$build" -j "${JOBS:-2}" --target "fuzz_$target"
done
for target in $targets; do
  mkdir -p "$build/corpus/$target" "$here/regressions/$target"
  echo "== fuzz_$target for $seconds s"
  "$build/bin/fuzz_$target" "$build/corpus/$target" "$here/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$here/regressions/$target/" 2>&1 | tail -n 3
done
