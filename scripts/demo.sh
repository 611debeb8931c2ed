#!/bin/sh
# A short tour of vrax in a throwaway XDG tree made of the real Debian desktop entries in
# tests/fixtures (with stub programs, so they count as installed). Every change is read
# back with the desktop's own clients, gio and xdg-mime. The tree is deleted afterwards;
# your own configuration and data folders are never read or written.
# Usage: scripts/demo.sh [BUILD_DIR]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
[ -x "$build/bin/vrax" ] || { echo "demo: $build/bin/vrax is missing; run make build" >&2; exit 1; }
for tool in gio xdg-mime update-desktop-database; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "demo: $tool is missing; run sh scripts/install-deps.sh demo" >&2; exit 1; }
done

tree=$(mktemp -d "${TMPDIR:-/tmp}/vrax-demo.XXXXXX")
trap 'rm -rf "$tree"' EXIT INT TERM
mkdir -p "$tree/home/.config" "$tree/home/.local/share" "$tree/system" "$tree/etc" "$tree/bin"
cp -R "$here/tests/fixtures/applications" "$tree/system/applications"
ln -s /usr/share/mime "$tree/system/mime"
sh "$here/tests/fixtures/make-stubs.sh" "$tree/system/applications" "$tree/bin"
update-desktop-database "$tree/system/applications"
# The build's vrax, under its usual name; the placeholder bundle is found beside it.
ln -s "$build/bin/vrax" "$tree/bin/vrax"

export HOME="$tree/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_DATA_DIRS="$tree/system" XDG_CONFIG_DIRS="$tree/etc"
export PATH="$tree/bin:/usr/bin:/bin" LANG=C.UTF-8
unset XDG_CURRENT_DESKTOP DISPLAY WAYLAND_DISPLAY
cd "$HOME"

if [ -t 1 ]; then bold=$(printf '\033[1m') plain=$(printf '\033[0m'); else bold= plain=; fi
say() { printf '\n%s# %s%s\n' "$bold" "$*" "$plain"; }
# Prints a command line as you would type it, then runs it.
run() { printf '$ %s\n' "$*"; sh -c "$*" || true; }

printf '%sA tour of vrax%s in a throwaway desktop: %s\n' "$bold" "$plain" "$tree"
printf '(%s desktop entries of Debian 12 packages; your own files are not touched)\n' \
  "$(ls "$tree/system/applications" | grep -c "\.desktop$")"

say "Which application opens web links, and which others could"
run vrax getHandler --internet
run vrax getHandler --URL http --all

say "Make Falkon the browser, naming it by its name; the desktop's clients agree"
run vrax setHandler --web --app Falkon
run vrax getHandler --browser
run "gio mime x-scheme-handler/http | head -1"
run xdg-mime query default x-scheme-handler/http

say "Open plain-text files with gedit, naming it by its desktop file ID"
run vrax setHandler --UTI text/plain --app org.gnome.gedit
run "gio mime text/plain | head -1"
run xdg-mime query default text/plain

say "Let mailto: links open nothing: the placeholder application Quietling"
run vrax setHandler --mail --app None
run vrax getHandler --mail
run "gio mime x-scheme-handler/mailto | head -1"
run xdg-mime query default x-scheme-handler/mailto

say "What vrax wrote: only the user's mimeapps.list changed"
run 'cat ~/.config/mimeapps.list'

say "Every scheme and every content type, with its default handler (first lines)"
run "vrax getSchemes | head -5"
run "vrax getUTIs | head -5"

say "Mistakes are refused before anything is written"
run vrax setHandler --URL 1abc --app Falkon
run "vrax setHandler --web --app Netscape; echo \"exit status \$?\""

printf '\n%sDone;%s the throwaway tree is deleted now. On your own desktop:\n' "$bold" "$plain"
printf '  make run ARGS="getHandler --internet"    (or %s/bin/vrax getHandler --internet)\n' "$build"
printf '  man %s/man/man1/vrax.1\n' "$build"
