#!/bin/sh
# Completes command lines in a real bash with bash-completion loaded: the completion is
# found by bash-completion's on-demand loader under its installed name, and the values of
# --URL, --UTI and --app come from the vrax of a temporary XDG tree.
# Usage: completion-bash.sh VRAX COMPLETION_FILE
set -eu
. "$(dirname "$0")/tree.sh"
vrax=$1
completion=$2
[ -f /usr/share/bash-completion/bash_completion ] ||
  { echo "SKIP: bash-completion is not installed (apt-get install bash-completion)"; exit $SKIP; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_tree "$work"
enter_tree "$work"
ln -s "$vrax" "$work/bin/vrax"
# Where bash-completion looks for a user's completions, named after the command.
mkdir -p "$XDG_DATA_HOME/bash-completion/completions"
cp "$completion" "$XDG_DATA_HOME/bash-completion/completions/vrax"

# complete LINE: the candidates bash offers for LINE (cursor at its end), one per line.
complete_line() {
  bash --norc --noprofile -c '
    . /usr/share/bash-completion/bash_completion
    __load_completion vrax || exit 3
    spec=$(complete -p vrax) || exit 4
    function=${spec##*-F }; function=${function%% *}
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    read -r -a COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    "$function" vrax "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' bash "$1" | sort
}


# includes LINE CANDIDATE...: these are among the candidates, and every candidate starts
# with the word being completed.
includes() {
  line=$1
  shift
  got=$(complete_line "$line")
  for candidate in "$@"; do
    printf '%s\n' "$got" | grep -qxF -- "$candidate" || fail "'$line': $candidate not offered"
  done
  word=${line##* }
  printf '%s\n' "$got" | while IFS= read -r candidate; do
    case $candidate in "$word"*) ;; *) echo "'$line': offered $candidate" ;; esac
  done | grep . >&2 && fail "'$line': candidates not starting with '$word'"
  return 0
}

expect "vrax " -h -v getApps getHandler getSchemes getUTIs help setHandler version
expect "vrax get" getApps getHandler getSchemes getUTIs
expect "vrax setHandler --app" --app --application
expect "vrax getHandler --a" --all
expect "vrax setHandler --e" --email --e-mail
expect "vrax getHandler --UTI text/plain --role " All Editor Shell Viewer
expect "vrax getApps -" -h --help
# Live values, from the tree's vrax.
includes "vrax getHandler --URL " http https mailto vendor
includes "vrax setHandler --URL ht" http https
includes "vrax setHandler --UTI text/pl" text/plain
includes "vrax getHandler --UTI application/" application/pdf
includes "vrax setHandler --web --app org.kde.f" org.kde.falkon
includes "vrax setHandler --web --app " org.kde.falkon org.gnome.Epiphany None
# An entry in a subfolder is offered by its desktop file ID.
expect "vrax setHandler --URL vendor --application vendor" vendor-tool
# Entries whose program is missing are not installed, so they are not offered.
expect "vrax setHandler --web --app chromium"
# Every scheme vrax lists is offered.
for scheme in $("$vrax" getSchemes | cut -f1); do
  complete_line "vrax getHandler --URL $scheme" | grep -qxF -- "$scheme" ||
    fail "scheme $scheme not offered"
done
exit $((${failures:-0} > 0))
