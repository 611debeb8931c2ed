# Sourced by the scripts of this folder. make_tree DIR: a temporary XDG tree holding the
# fixture's desktop entries system-wide, stubs of their programs in DIR/bin, and one
# entry in a vendor subfolder of the user's applications (desktop file ID vendor-tool).
# enter_tree DIR: points the XDG variables, HOME and PATH at it.
# SKIP (77) is the status ctest reports as a skipped test.
SKIP=77
fixtures=$(cd "$(dirname "$0")/../fixtures" && pwd)

make_tree() {
  mkdir -p "$1/system" "$1/config" "$1/data/applications/vendor" "$1/etc" "$1/bin" "$1/home"
  cp -R "$fixtures/applications" "$1/system/applications"
  ln -s /usr/share/mime "$1/system/mime"
  sh "$fixtures/make-stubs.sh" "$1/system/applications" "$1/bin"
  printf '[Desktop Entry]\nType=Application\nName=Vendor Tool\nExec=vendortool %%u\nMimeType=x-scheme-handler/vendor;\n' \
    >"$1/data/applications/vendor/tool.desktop"
  printf '#!/bin/sh\nexit 0\n' >"$1/bin/vendortool"
  chmod 755 "$1/bin/vendortool"
}

enter_tree() {
  export HOME="$1/home" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" \
    XDG_DATA_DIRS="$1/system" XDG_CONFIG_DIRS="$1/etc" PATH="$1/bin:/usr/bin:/bin" LANG=C.UTF-8
  unset XDG_CURRENT_DESKTOP
}

fail() {
  echo "FAIL: $*" >&2
  failures=$((${failures:-0} + 1))
}

# expect LINE CANDIDATES...: the shell offers exactly these candidates (in any order) for
# LINE; the completion scripts define complete_line, which prints them one per line.
expect() {
  line=$1
  shift
  got=$(complete_line "$line" | tr '\n' ' ')
  want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  [ "$got" = "$want" ] || fail "'$line': offered [$got], expected [$want]"
}
