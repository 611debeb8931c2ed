#!/bin/sh
# The Debian package that `make deb` built: its files, its declared dependencies, and the
# tool run from it, unpacked into a temporary root.
# Usage: package.sh BUILD_DIR VERSION BUNDLE_DIR BUNDLE_NAME BUNDLE_ID
set -eu
. "$(dirname "$0")/tree.sh"
build=$1
version=$2
bundle_dir=$3
bundle=$4
bundle_id=$5
arch=$(dpkg --print-architecture)
deb="$build/vrax_${version}_$arch.deb"
[ -f "$deb" ] || { echo "SKIP: $deb is not built; make deb builds it"; exit $SKIP; }
echo "checking $deb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ "$(dpkg-deb -f "$deb" Package)" = vrax ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "package architecture"
# Dependencies come from the libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libglib2.0-0 libutf8proc; do
  case $depends in *"$library"*) ;; *) fail "Depends lacks $library: $depends" ;; esac
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/vrax "usr/$bundle_dir/$bundle/Quietling" "usr/$bundle_dir/$bundle/$bundle_id.desktop" \
  usr/share/man/man1/vrax.1.gz usr/share/bash-completion/completions/vrax \
  usr/share/zsh/vendor-completions/_vrax usr/share/fish/vendor_completions.d/vrax.fish \
  usr/share/doc/vrax/copyright usr/share/doc/vrax/changelog.gz; do
  [ -f "$root/$file" ] || fail "not in the package: /$file"
done
others=$(cd "$root" && find . -type f | sed 's|^\./||' | grep -vE "^usr/(bin/vrax|$bundle_dir/$bundle/|share/(man|bash-completion|zsh|fish|doc)/)" || true)
[ -z "$others" ] || fail "unexpected files in the package: $others"
if command -v readelf >/dev/null 2>&1; then
  for program in usr/bin/vrax "usr/$bundle_dir/$bundle/Quietling"; do
    readelf -S --wide "$root/$program" | grep -qE '\.symtab|\.debug_' && fail "/$program is not stripped"
  done
fi

# The unpacked tool works, and --app None registers the unpacked placeholder.
make_tree "$work/tree"
enter_tree "$work/tree"
[ "$("$root/usr/bin/vrax" version)" = "Version: $version" ] || fail "unpacked vrax version"
[ "$("$root/usr/bin/vrax" getHandler --URL vendor)" = "$XDG_DATA_HOME/applications/vendor/tool.desktop" ] ||
  fail "unpacked vrax getHandler"
"$root/usr/bin/vrax" setHandler --mail --app None >"$work/set.out" 2>&1 || true
grep -q SUCCESS "$work/set.out" || { cat "$work/set.out"; fail "--app None with the unpacked tool"; }
grep -qxF "Exec=$root/usr/$bundle_dir/$bundle/Quietling %u" \
  "$XDG_DATA_HOME/applications/$bundle_id.desktop" || fail "placeholder not registered from the package"
[ "$("$root/usr/bin/vrax" getHandler --mail)" = "$XDG_DATA_HOME/applications/$bundle_id.desktop" ] ||
  fail "the placeholder is not the mailto handler"
exit $((${failures:-0} > 0))
