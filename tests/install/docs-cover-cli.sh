#!/bin/sh
# The manual page and the three completions name every command and every option that the
# program itself declares (in `vrax help` and `vrax COMMAND -h`); the page passes mandoc's
# checks.
# Usage: docs-cover-cli.sh VRAX MANPAGE COMPLETIONS_DIR
set -eu
. "$(dirname "$0")/tree.sh"
vrax=$1
page=$2
completions=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_tree "$work"
enter_tree "$work"

if command -v mandoc >/dev/null 2>&1; then
  mandoc -Tlint -Wwarning "$page" || fail "mandoc -Tlint reports problems in $page"
  text=$(mandoc -Tascii "$page" | col -b)
else
  echo "mandoc is not installed (apt-get install mandoc): the page is not linted" >&2
  text=$(cat "$page")
fi

commands=$("$vrax" help | sed -n 's/^- \([A-Za-z]*\) .*/\1/p')
[ -n "$commands" ] || fail "no commands found in 'vrax help'"
for command in $commands; do
  words=$(printf '%s\n' "$text" | grep -cw -- "$command" || true)
  [ "$words" -gt 0 ] || fail "the manual page does not name the command $command"
  for file in vrax.bash _vrax vrax.fish; do
    grep -qw -- "$command" "$completions/$file" || fail "$file does not complete $command"
  done
done
for command in getHandler setHandler; do
  options=$("$vrax" "$command" -h 2>&1 | grep -o -- '--[A-Za-z-]*' | sort -u)
  [ -n "$options" ] || fail "no options found in 'vrax $command -h'"
  for option in $options; do
    printf '%s\n' "$text" | grep -q -- "$option\\b" ||
      fail "the manual page does not describe $option"
    for file in vrax.bash _vrax; do
      grep -q -- "$option\\b" "$completions/$file" || fail "$file does not complete $option"
    done
    grep -q -- "-l ${option#--}\\b" "$completions/vrax.fish" ||
      fail "fish does not complete $option"
  done
done
exit $((${failures:-0} > 0))
