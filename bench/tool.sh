#!/bin/sh
# Times the vrax program side by side with the reference clients, on the benchmark trees
# of bench/platform.sh (1,000 and 10,000 generated desktop entries plus the real-entry
# fixture and the full shared MIME-info database):
#   getHandler --internet   against gio mime TYPE (and xdg-mime query default)
#   setHandler --web        (with its read-back) against xdg-mime default and
#                           gio mime TYPE APP, each making the same change
#   getUTIs, getApps        against gio_reference defaults / apps
#   getSchemes              against gio_reference schemes
#   version                 against /bin/true
# Reports min, median and max wall time, the median ratios with their targets, the peak
# memory of every command and how each command scales from 1,000 to 10,000 entries.
# Then, on a tree of entries of real size (the fixture's real entries copied under new
# IDs, see make_real_tree), getApps, getUTIs and getSchemes beside the floor (bench/
# Floor.c: listing the folders and reading every entry once, nothing parsed) and GIO.
# Usage: bench/tool.sh [BUILD_DIR]   (needs hyperfine, gio, xdg-mime, update-desktop-database)
# BENCH_RUNS sets the runs per command (20); BENCH_SIZES the tree sizes ("1000 10000");
# BENCH_REAL the number of real-size entries (1000). An empty size leaves its trees out.
set -eu
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
runs=${BENCH_RUNS:-20}
sizes=${BENCH_SIZES-1000 10000}
real=${BENCH_REAL-1000}
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
for program in vrax gio_reference floor; do
  [ -x "$build/bin/$program" ] || {
    echo "tool.sh: $build/bin/$program is missing (build with VRAX_BENCH=ON)" >&2
    exit 1
  }
done
vrax=$(abs "$build/bin/vrax")
reference=$(abs "$build/bin/gio_reference")
floor=$(abs "$build/bin/floor")

work=$(mktemp -d "${TMPDIR:-/tmp}/vrax-tool-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# The trees are those of the platform benchmark.
. "$here/tree.sh"
command -v make_tree >/dev/null && command -v in_tree >/dev/null || {
  echo "tool.sh: bench/platform.sh no longer defines make_tree and in_tree" >&2
  exit 1
}

# time_side_by_side NAME COMMAND...: one hyperfine run of the commands, exported.
time_side_by_side() {
  name=$1
  shift
  hyperfine -N -w 3 -r "$runs" --export-json "$work/$name.json" "$@" >/dev/null 2>&1
}

# time_changes NAME PREPARE COMMAND...: the same, with PREPARE run before every run.
time_changes() {
  name=$1
  prepare=$2
  shift 2
  hyperfine -N -w 3 -r "$runs" --prepare "$prepare" --export-json "$work/$name.json" "$@" \
    >/dev/null 2>&1
}

# report NAME TARGET...: min/median/max of each command and, for each TARGET (a number
# or "-"), the ratio of the first command's median to that command's.
report() {
  python3 - "$work" "$@" <<'PY'
import json, statistics, sys
work, name, targets = sys.argv[1], sys.argv[2], sys.argv[3:]
results = json.load(open(f"{work}/{name}.json"))["results"]
short = lambda c: " ".join(p.rsplit("/", 1)[-1] for p in c.split(" "))
cpu = lambda r: (r["user"] + r["system"]) * 1000
for r in results:
    t = [x * 1000 for x in r["times"]]
    print(f"  {short(r['command']):<42} min {min(t):8.2f}  median {statistics.median(t):8.2f}  max {max(t):8.2f} ms   cpu {cpu(r):8.2f} ms")
ours = results[0]
for r, target in zip(results[1:], targets):
    ratio = statistics.median(ours["times"]) / statistics.median(r["times"])
    verdict = "" if target == "-" else (f"  (target <= {target}: " + ("met" if ratio <= float(target) else "NOT met") + ")")
    print(f"    {short(ours['command'])} / {short(r['command'])}: median ratio {ratio:.3f}{verdict}, cpu ratio {cpu(ours) / cpu(r):.3f}")
PY
}

# peak COMMAND...: peak resident memory of one run, in KiB. GNU time is small enough not
# to inflate it (a child's peak includes its parent's size at the exec).
peak() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1
  else
    python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, "(upper bound)")' "$@"
  fi
}

for count in $sizes; do
  tree=$work/tree$count
  make_tree "$tree" "$count" >/dev/null
  in_tree "$tree"
  echo "== vrax, $count generated entries + fixture" \
    "($(find "$tree/system/applications" -name '*.desktop' | wc -l) desktop entries)"
  time_side_by_side "handler$count" "$vrax getHandler --internet" \
    "/usr/bin/gio mime x-scheme-handler/http" "/usr/bin/xdg-mime query default x-scheme-handler/http"
  report "handler$count" 0.2 -
  # Before every run the user's list names another browser, so that each command makes
  # the same real change: the default of http becomes Falkon.
  sed 's/=org.kde.falkon.desktop/=firefox-esr.desktop/' "$tree/config/mimeapps.list" \
    >"$work/before$count.list"
  time_changes "set$count" "cp $work/before$count.list $tree/config/mimeapps.list" \
    "$vrax setHandler --web --app org.kde.falkon" \
    "/usr/bin/xdg-mime default org.kde.falkon.desktop x-scheme-handler/http" \
    "/usr/bin/gio mime x-scheme-handler/http org.kde.falkon.desktop"
  report "set$count" 0.5 0.1
  for command in "$vrax setHandler --web --app org.kde.falkon" \
    "/usr/bin/xdg-mime default org.kde.falkon.desktop x-scheme-handler/http" \
    "/usr/bin/gio mime x-scheme-handler/http org.kde.falkon.desktop"; do
    cp "$work/before$count.list" "$tree/config/mimeapps.list"
    # shellcheck disable=SC2086
    $command >/dev/null 2>&1 || true
    case $(/usr/bin/gio mime x-scheme-handler/http 2>/dev/null | head -n 1) in
    *org.kde.falkon.desktop) ;;
    *) echo "    WARNING: $command did not make Falkon the default" ;;
    esac
  done
  time_side_by_side "utis$count" "$vrax getUTIs" "$reference defaults"
  report "utis$count" 0.2
  time_side_by_side "schemes$count" "$vrax getSchemes" "$reference schemes"
  report "schemes$count" 0.2
  time_side_by_side "apps$count" "$vrax getApps" "$reference apps"
  report "apps$count" 0.2
  time_side_by_side "version$count" "$vrax version" "/bin/true"
  report "version$count" 3
  printf '  peak memory (KiB, target <= 16384):'
  for command in "getHandler --internet" getUTIs getSchemes getApps version \
    "setHandler --web --app org.kde.falkon"; do
    # shellcheck disable=SC2086
    printf ' %s %s;' "$command" "$(peak "$vrax" $command)"
  done
  echo
done

for count in $real; do
  tree=$work/real$count
  make_real_tree "$tree" "$count" >/dev/null
  in_tree "$tree"
  echo "== vrax, $count desktop entries of real size" \
    "($(du -sk "$tree/system/applications" | cut -f 1) KiB)," \
    "against the floor (target <= 2) and GIO (target <= 0.1)"
  for mode in "getApps apps" "getUTIs defaults" "getSchemes schemes"; do
    # shellcheck disable=SC2086
    set -- $mode
    time_side_by_side "real$1$count" "$vrax $1" "$floor" "$reference $2"
    report "real$1$count" 2 0.1
  done
done

python3 - "$work" <<'PY'
import json, os, statistics, sys
work = sys.argv[1]
first = lambda name: json.load(open(f"{work}/{name}.json"))["results"][0]
if os.path.exists(f"{work}/handler1000.json") and os.path.exists(f"{work}/handler10000.json"):
    print("== scaling: 10,000 entries / 1,000 entries (target <= 12)")
    for name in ("handler", "set", "utis", "schemes", "apps", "version"):
        small, large = first(f"{name}1000"), first(f"{name}10000")
        ratio = statistics.median(large["times"]) / statistics.median(small["times"])
        cpu = (large["user"] + large["system"]) / (small["user"] + small["system"])
        print(f"  {small['command'].rsplit('/', 1)[-1]:<32} median {ratio:6.2f}   cpu {cpu:6.2f}")
if os.path.exists(f"{work}/utis1000.json"):
    median = statistics.median(first("utis1000")["times"]) * 1000
    print(f"== getUTIs median with 1,000 entries: {median:.2f} ms (target <= 25 ms)")
PY
