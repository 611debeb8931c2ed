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

# make_tree DIR COUNT: COUNT generated entries (every tenth in a vendor subfolder, every
# fifth with TryExec, each declaring three types and some a scheme) plus the fixture.
make_tree() {
  dir=$1
  count=$2
  mkdir -p "$dir/system/applications" "$dir/config" "$dir/data" "$dir/etc" "$dir/bin" "$dir/home"
  ln -s /usr/share/mime "$dir/system/mime"
  cp "$here/../tests/fixtures/applications/"*.desktop "$dir/system/applications/"
  sh "$here/../tests/fixtures/make-stubs.sh" "$dir/system/applications" "$dir/bin"
  printf '#!/bin/sh\nexit 0\n' >"$dir/bin/benchapp"
  chmod 755 "$dir/bin/benchapp"
  mkdir -p "$dir/system/applications/vendor"
  awk -v count="$count" -v out="$dir/system/applications" '
    { types[n++] = $1 }
    END {
      srand(7)
      for (i = 0; i < count; i++) {
        file = out "/" (i % 10 == 0 ? "vendor/" : "") sprintf("gen%05d.desktop", i)
        printf "[Desktop Entry]\nType=Application\nName=Generated %d\nName[de]=Erzeugt %d\n", i, i > file
        printf "Comment=Generated application number %d\nExec=benchapp --number %d %%U\n", i, i > file
        if (i % 5 == 0) printf "TryExec=benchapp\n" > file
        mimes = types[int(rand() * n)] ";" types[int(rand() * n)] ";" types[int(rand() * n)] ";"
        if (i % 7 == 0) mimes = mimes "x-scheme-handler/gen" (i % 50) ";"
        printf "MimeType=%s\nCategories=Utility;\n", mimes > file
        close(file)
      }
    }' /usr/share/mime/types
  update-desktop-database -q "$dir/system/applications"
  printf '[Default Applications]\ntext/plain=org.xfce.mousepad.desktop\nx-scheme-handler/http=org.kde.falkon.desktop\n' \
    >"$dir/config/mimeapps.list"
}

# in_tree DIR: sets the environment to that tree.
in_tree() {
  export HOME="$1/home" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" \
    XDG_DATA_DIRS="$1/system" XDG_CONFIG_DIRS="$1/etc" PATH="$1/bin:/usr/bin:/bin"
  unset XDG_CURRENT_DESKTOP
}

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
