#!/bin/sh
# Completes command lines in fish (complete -C) with the vrax completion loaded, in a
# temporary XDG tree; checks the zsh completion's syntax.
# Usage: completion-fish.sh VRAX COMPLETIONS_DIR
set -eu
. "$(dirname "$0")/tree.sh"
vrax=$1
completions=$2
command -v fish >/dev/null 2>&1 || { echo "SKIP: fish is not installed (apt-get install fish)"; exit $SKIP; }
command -v zsh >/dev/null 2>&1 || { echo "SKIP: zsh is not installed (apt-get install zsh)"; exit $SKIP; }
zsh -n "$completions/_vrax" || fail "zsh completion does not parse"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_tree "$work"
enter_tree "$work"
ln -s "$vrax" "$work/bin/vrax"

complete_line() {
  fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$completions/vrax.fish" "$1" |
    cut -f1 | sort
}

expect "vrax get" getApps getHandler getSchemes getUTIs
expect "vrax setHandler --app" --app --application
expect "vrax getHandler --a" --all
expect "vrax getHandler --URL ht" http https
expect "vrax setHandler --UTI text/pla" text/plain
expect "vrax setHandler --web --app org.kde.f" org.kde.falkon
expect "vrax setHandler --URL vendor --application vendor" vendor-tool
expect "vrax setHandler --mail --app No" None
expect "vrax getHandler --UTI text/plain --role " All Editor Shell Viewer
exit $((${failures:-0} > 0))
