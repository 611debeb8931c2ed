#!/bin/sh
# cmake --install puts every file where it belongs, with the programs stripped; the
# installed tool runs and finds its placeholder bundle; the uninstall step then removes
# every installed file.
# Usage: install-uninstall.sh BUILD_DIR CMAKE VERSION BUNDLE_DIR BUNDLE_NAME BUNDLE_ID
set -eu
. "$(dirname "$0")/tree.sh"
build=$1
cmake=$2
version=$3
bundle_dir=$4
bundle=$5
bundle_id=$6
command -v readelf >/dev/null 2>&1 || { echo "SKIP: readelf is missing (apt-get install binutils)"; exit $SKIP; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix with space"

# The component install writes its own manifest, so a user's install_manifest.txt in
# the build folder stays as it is.
"$cmake" --install "$build" --prefix "$prefix" --component Unspecified >"$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install failed"; exit 1; }
manifest="$build/install_manifest_Unspecified.txt"

for file in bin/vrax "$bundle_dir/$bundle/Quietling" "$bundle_dir/$bundle/$bundle_id.desktop" \
  share/man/man1/vrax.1.gz share/bash-completion/completions/vrax \
  share/zsh/vendor-completions/_vrax share/fish/vendor_completions.d/vrax.fish \
  share/doc/vrax/copyright share/doc/vrax/changelog.gz; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
  grep -qxF "$prefix/$file" "$manifest" || fail "not in the manifest: $file"
done
for program in bin/vrax "$bundle_dir/$bundle/Quietling"; do
  sections=$(readelf -S --wide "$prefix/$program" 2>/dev/null)
  printf '%s\n' "$sections" | grep -qE '\.symtab|\.debug_' && fail "$program is not stripped"
done
gzip -t "$prefix/share/man/man1/vrax.1.gz" || fail "the installed manual page is not gzip"

# The installed tool runs, and registers the placeholder from <prefix>/BUNDLE_DIR.
make_tree "$work/tree"
enter_tree "$work/tree"
[ "$("$prefix/bin/vrax" version)" = "Version: $version" ] || fail "installed vrax version"
"$prefix/bin/vrax" setHandler --mail --app None >"$work/set.out" 2>&1 || true
grep -q SUCCESS "$work/set.out" || { cat "$work/set.out"; fail "--app None with the installed tool"; }
grep -qxF "Exec=\"$prefix/$bundle_dir/$bundle/Quietling\" %u" \
  "$XDG_DATA_HOME/applications/$bundle_id.desktop" || fail "placeholder not registered from the prefix"

"$cmake" -DMANIFEST="$manifest" -P "$build/cmake_uninstall.cmake" >"$work/uninstall.log" ||
  { cat "$work/uninstall.log"; fail "uninstall failed"; }
left=$(find "$prefix" ! -type d)
[ -z "$left" ] || fail "left after uninstalling: $left"
[ ! -e "$prefix/$bundle_dir" ] || fail "the bundle folder $bundle_dir was left"
[ ! -e "$prefix/share/doc/vrax" ] || fail "the documentation folder was left"
exit $((${failures:-0} > 0))
