# The benchmark trees, shared by platform.sh, tool.sh and floor.sh (sourced; needs $here).

# tree_base DIR: the folders of a tree, the fixture's real entries with stubs of their
# programs, and the user's list.
tree_base() {
  mkdir -p "$1/system/applications" "$1/config" "$1/data" "$1/etc" "$1/bin" "$1/home"
  ln -s /usr/share/mime "$1/system/mime"
  cp "$here/../tests/fixtures/applications/"*.desktop "$1/system/applications/"
  sh "$here/../tests/fixtures/make-stubs.sh" "$1/system/applications" "$1/bin"
  printf '[Default Applications]\ntext/plain=org.xfce.mousepad.desktop\nx-scheme-handler/http=org.kde.falkon.desktop\n' \
    >"$1/config/mimeapps.list"
}

# make_tree DIR COUNT: COUNT generated entries (every tenth in a vendor subfolder, every
# fifth with TryExec, each declaring three types and some a scheme) plus the fixture.
make_tree() {
  dir=$1
  count=$2
  tree_base "$dir"
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
}

# make_real_tree DIR COUNT: COUNT entries of real size: the fixture's real entries, then
# copies of them, taken in turn, each under a new ID of its own (real00083_NAME ...) with
# its contents unchanged.
make_real_tree() {
  dir=$1
  count=$2
  tree_base "$dir"
  (
    cd "$dir/system/applications"
    set -- *.desktop
    i=$#
    while [ "$i" -lt "$count" ]; do
      for entry in "$@"; do
        [ "$i" -lt "$count" ] || break
        i=$((i + 1))
        cp "$entry" "$(printf 'real%05d_%s' "$i" "$entry")"
      done
    done
  )
  update-desktop-database -q "$dir/system/applications"
}

# in_tree DIR: sets the environment to that tree.
in_tree() {
  export HOME="$1/home" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" \
    XDG_DATA_DIRS="$1/system" XDG_CONFIG_DIRS="$1/etc" PATH="$1/bin:/usr/bin:/bin"
  unset XDG_CURRENT_DESKTOP
}
