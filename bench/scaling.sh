#!/bin/sh
# How vrax scales on hostile trees: each shape at n and at 10 n, every command's wall time
# and peak memory (GNU time), the ratio of 10 n to n (target <= 12), and the limits at
# the large size (every command under 1 s and 64 MB). Shapes:
#   links    n folders of an applications folder, each with a link to its own folder
#            (a loop) and one to the top, 5 entries each
#   keys     a user list with n keys in [Default Applications] and in [Added Associations]
#   chain    a user MIME database of n types, each the parent of the next
#   folders  n folders in XDG_DATA_DIRS, nine of ten missing
#   repeat   one folder named n / 4 times in XDG_DATA_DIRS
#   entries  n desktop entries, each with a type and a scheme
# Usage: bench/scaling.sh [BUILD_DIR]   (SHAPES="links keys ..." runs only those)
set -eu
build=${1:-build}
vrax=$(cd "$build/bin" && pwd)/vrax
[ -x /usr/bin/time ] || { echo "scaling.sh: needs GNU time (/usr/bin/time)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/vrax-scaling-XXXXXX")
trap 'xargs rm -f <"$work/links" 2>/dev/null; rm -rf "$work"' EXIT INT TERM
: >"$work/links"

base_tree() {
  mkdir -p "$1/config" "$1/data/applications" "$1/system/applications" "$1/home" "$1/bin" "$1/etc"
  ln -s /usr/share/mime "$1/system/mime"
  printf '#!/bin/sh\nexit 0\n' >"$1/bin/app"
  chmod 755 "$1/bin/app"
}

entry() { # FILE NUMBER
  printf '[Desktop Entry]\nType=Application\nName=App %s\nExec=app %%u\nMimeType=text/x-app%s;x-scheme-handler/s%s;\n' \
    "$2" "$2" "$2" >"$1"
}

shape_links() { # DIR N
  apps=$1/system/applications
  i=0
  while [ "$i" -lt "$2" ]; do
    mkdir -p "$apps/d$i"
    ln -s . "$apps/d$i/self"
    ln -s .. "$apps/d$i/up"
    for k in 1 2 3 4 5; do entry "$apps/d$i/e$k.desktop" "$i$k"; done
    i=$((i + 1))
  done
}

shape_keys() {
  awk -v n="$2" 'BEGIN {
    print "[Default Applications]"
    for (i = 0; i < n; i++) printf "text/x-k%d=app%d.desktop;\n", i, i
    print "[Added Associations]"
    for (i = 0; i < n; i++) printf "text/x-k%d=app%d.desktop;other.desktop;\n", i, i
  }' >"$1/config/mimeapps.list"
  entry "$1/system/applications/app1.desktop" 1
}

shape_chain() {
  mkdir -p "$1/data/mime"
  awk -v n="$2" -v out="$1/data/mime" 'BEGIN {
    for (i = 0; i < n; i++) {
      printf "application/x-c%d\n", i > (out "/types")
      if (i > 0) printf "application/x-c%d application/x-c%d\n", i, i - 1 > (out "/subclasses")
    }
  }'
  : >"$1/data/mime/aliases"
}

# The variable must fit the kernel's limit of one environment string (128 KiB): the
# folders that exist are reached through a short link (short_link TREE sets $short), the
# missing ones are short.
short_link() {
  short=$(mktemp -u /tmp/vXXXX)
  ln -s "$1" "$short"
  echo "$short" >>"$work/links"
}

shape_folders() {
  short_link "$1"
  dirs=$short/system
  i=0
  while [ "$i" -lt "$2" ]; do
    if [ $((i % 10)) -eq 0 ]; then
      mkdir -p "$1/f$i/applications"
      entry "$1/f$i/applications/e$i.desktop" "$i"
      dirs=$dirs:$short/f$i
    else
      dirs=$dirs:/m$i
    fi
    i=$((i + 1))
  done
  echo "$dirs" >"$1/data-dirs"
}

# One folder named n / 4 times (3,000 times at 10 n = 12,000).
shape_repeat() {
  short_link "$1"
  dirs=$short/system
  i=0
  while [ "$i" -lt $(($2 / 4)) ]; do dirs=$dirs:$short/system; i=$((i + 1)); done
  shape_entries "$1" 100
  echo "$dirs" >"$1/data-dirs"
}

shape_entries() {
  i=0
  while [ "$i" -lt "$2" ]; do entry "$1/system/applications/e$i.desktop" "$i"; i=$((i + 1)); done
}

# measure TREE COMMAND...: "seconds kilobytes" of one run in the tree (wall time to the
# millisecond, peak resident memory from GNU time).
measure() {
  tree=$1
  shift
  dirs=$tree/system
  [ -f "$tree/data-dirs" ] && dirs=$(cat "$tree/data-dirs")
  start=$(date +%s%N)
  env HOME="$tree/home" XDG_CONFIG_HOME="$tree/config" XDG_DATA_HOME="$tree/data" \
    XDG_DATA_DIRS="$dirs" XDG_CONFIG_DIRS="$tree/etc" PATH="$tree/bin:/usr/bin:/bin" \
    XDG_CURRENT_DESKTOP= /usr/bin/time -f '%M' "$vrax" "$@" 2>"$work/time" >/dev/null || true
  echo "$start $(date +%s%N) $(tail -n 1 "$work/time")" |
    awk '{ printf "%.3f %s\n", ($2 - $1) / 1e9, $3 }'
}

commands="getApps|getSchemes|getUTIs|getHandler --URL http|getHandler --UTI text/x-app11 --all|setHandler --UTI text/x-app11 --app e11"

run_shape() { # SHAPE N
  shape=$1
  for size in "$2" $(($2 * 10)); do
    tree=$work/$shape$size
    rm -rf "$tree"
    base_tree "$tree"
    "shape_$shape" "$tree" "$size"
  done
  echo "== $shape: n = $2 and 10 n = $(($2 * 10))"
  printf '  %-40s %10s %10s %10s %10s %7s\n' command "n s" "n KB" "10n s" "10n KB" ratio
  echo "$commands" | tr '|' '\n' | while read -r command; do
    # shellcheck disable=SC2086
    small=$(measure "$work/$shape$2" $command)
    # shellcheck disable=SC2086
    large=$(measure "$work/$shape$(($2 * 10))" $command)
    echo "$command $small $large" | awk '{
      n = NF; ls = $(n - 3); lk = $(n - 2); hs = $(n - 1); hk = $n
      $(n - 3) = $(n - 2) = $(n - 1) = $n = ""
      ratio = ls > 0 ? sprintf("%.1f", hs / ls) : "-"
      flag = (hs >= 1 || hk >= 65536) ? "  OVER LIMIT" : ""
      printf "  %-40s %10s %10s %10s %10s %7s%s\n", $0, ls, lk, hs, hk, ratio, flag
    }'
  done
  rm -rf "$work/$shape$2" "$work/$shape$(($2 * 10))"
}

for shape in ${SHAPES:-links keys chain folders repeat entries}; do
  case $shape in
    links) run_shape links "${LINKS:-100}" ;;
    keys) run_shape keys "${KEYS:-4000}" ;;
    chain) run_shape chain "${CHAIN:-500}" ;;
    folders) run_shape folders "${FOLDERS:-1200}" ;;
    repeat) run_shape repeat "${FOLDERS:-1200}" ;;
    entries) run_shape entries "${ENTRIES:-1000}" ;;
    *) echo "scaling.sh: no shape $shape" >&2; exit 2 ;;
  esac
done
