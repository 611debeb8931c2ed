#!/bin/sh
# Times the platform layer against GIO doing the same work, side by side, on generated
# trees of 1,000 and 10,000 desktop entries plus the real-entry fixture and the full
# shared MIME-info database; reports min, median and max of each and the peak memory.
# Usage: bench/platform.sh [BUILD_DIR]   (needs hyperfine, gio, update-desktop-database)
set -eu
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
bench=$build/bin/platform_bench
reference=$build/bin/gio_reference
runs=${BENCH_RUNS:-15}
for tool in "$bench" "$reference"; do
  [ -x "$tool" ] || { echo "platform.sh: $tool is missing (build with VRAX_BENCH=ON)" >&2; exit 1; }
done
bench=$(cd "$(dirname "$bench")" && pwd)/$(basename "$bench")
reference=$(cd "$(dirname "$reference")" && pwd)/$(basename "$reference")
work=$(mktemp -d "${TMPDIR:-/tmp}/vrax-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

. "$here/tree.sh"

summary() {
  python3 - "$@" <<'PY'
import json, statistics, sys
for path in sys.argv[1:]:
    for r in json.load(open(path))["results"]:
        t = [x * 1000 for x in r["times"]]
        cpu = (r["user"] + r["system"]) * 1000
        print(f"  {r['command']:<34} min {min(t):8.2f}  median {statistics.median(t):8.2f}  max {max(t):8.2f} ms   cpu {cpu:8.2f} ms")
PY
}

# ratio FILE NAME: ours / reference, by median wall time and by CPU time.
ratio() {
  python3 - "$1" "$2" <<'PY'
import json, statistics, sys
ours, ref = json.load(open(sys.argv[1]))["results"]
wall = statistics.median(ours["times"]) / statistics.median(ref["times"])
cpu = (ours["user"] + ours["system"]) / (ref["user"] + ref["system"])
print(f"  {sys.argv[2]:<9} ours/reference: median wall time {wall:.3f}, cpu time {cpu:.3f}")
PY
}

peak() { "$@" 2>&1 >/dev/null | sed -n 's/^peak_rss_kb=//p'; }

for count in 1000 10000; do
  tree=$work/tree$count
  make_tree "$tree" "$count"
  in_tree "$tree"
  echo "== $count generated entries + fixture ($(find "$tree/system/applications" -name '*.desktop' | wc -l) desktop entries)"
  hyperfine -N -w 2 -r "$runs" --export-json "$work/defaults$count.json" \
    "$bench defaults" "$reference defaults" >/dev/null 2>&1
  hyperfine -N -w 2 -r "$runs" --export-json "$work/apps$count.json" \
    "$bench apps" "$reference apps" >/dev/null 2>&1
  hyperfine -N -w 3 -r $((runs * 3)) --export-json "$work/lookup$count.json" \
    "$bench lookup text/x-csrc" "/usr/bin/gio mime text/x-csrc" >/dev/null 2>&1
  summary "$work/defaults$count.json" "$work/apps$count.json" "$work/lookup$count.json" |
    sed "s|$bench|platform_bench|; s|$reference|gio_reference|"
  for pair in defaults apps lookup; do ratio "$work/$pair$count.json" "$pair"; done
  echo "  peak memory (KiB): defaults $(peak "$bench" defaults), apps $(peak "$bench" apps)," \
    "lookup $(peak "$bench" lookup text/x-csrc); gio_reference defaults $(peak "$reference" defaults)"
done
python3 - "$work" <<'PY'
import json, statistics, sys
work = sys.argv[1]
for name in ("defaults", "apps"):
    small = json.load(open(f"{work}/{name}1000.json"))["results"][0]
    large = json.load(open(f"{work}/{name}10000.json"))["results"][0]
    wall = statistics.median(large["times"]) / statistics.median(small["times"])
    cpu = (large["user"] + large["system"]) / (small["user"] + small["system"])
    print(f"== scaling {name}: 10,000 entries take {wall:.2f}x the median wall time of 1,000 ({cpu:.2f}x the cpu time)")
PY
