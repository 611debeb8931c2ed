# The benchmark trees, shared by platform.sh and tool.sh (sourced; needs $here).
# make_tree DIR COUNT: COUNT generated entries (every tenth in a vendor subfolder, every
# fifth with TryExec, each declaring three types and some a scheme) plus the fixture.
make_tree() {
  dir=$1
  count=$2
  mkdir -p "$dir/system/applications" "$dir/config" "$dir/data" "$dir/etc" "$dir/bin" "$dir/home"
  ln -s /usr/share/mime "$dir/system/mime"
  cp "$here/../tests/fixtures/applications/"*.desktop "$dir/system/applications/"
  sh "$here/../tests/fixtures/make-stubs.sh" "$dir/system/applications" "$dir/bin"
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
  printf '[Default Applications]\ntext/plain=org.xfce.mousepad.desktop\nx-scheme-handler/http=org.kde.falkon.desktop\n' \
    >"$dir/config/mimeapps.list"
}

# in_tree DIR: sets the environment to that tree.
in_tree() {
  export HOME="$1/home" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" \
    XDG_DATA_DIRS="$1/system" XDG_CONFIG_DIRS="$1/etc" PATH="$1/bin:/usr/bin:/bin"
  unset XDG_CURRENT_DESKTOP
}
