#!/bin/sh
# Installs the Debian packages that a step of the project needs.
# Usage: sh scripts/install-deps.sh [STEP...]
#   build  the tool and the placeholder (compiler, CMake, utf8proc, GLib)
#   demo   the tour of `make demo` (adds gio, xdg-mime and the MIME database)
#   test   `make test` (adds GoogleTest, the reference clients, mandoc, the shells)
#   bench  `make bench`     fuzz  `make fuzz`     deb  `make deb` (and lintian)
# Without a step: everything that `make demo` and `make test` need.
# Nothing is installed (and no network is used) when the packages are present already.
# Run as root, it installs what is missing; run as another user, it prints the one
# apt-get line that would and fails.
set -eu
[ $# -gt 0 ] || set -- demo test
packages=""
for step in "$@"; do
  case $step in
    build) add="" ;;
    demo) add="libglib2.0-bin xdg-utils shared-mime-info desktop-file-utils" ;;
    test) add="libgtest-dev libgmock-dev libglib2.0-bin xdg-utils shared-mime-info
               desktop-file-utils mandoc bash-completion zsh fish binutils" ;;
    bench) add="libglib2.0-bin xdg-utils shared-mime-info desktop-file-utils
                hyperfine time python3" ;;
    fuzz) add="clang libclang-rt-14-dev" ;;
    deb) add="dpkg-dev fakeroot file binutils lintian" ;;
    *) echo "install-deps: unknown step '$step' (build, demo, test, bench, fuzz or deb)" >&2
       exit 2 ;;
  esac
  packages="$packages $add"
done
# Every step builds the tool first.
packages="cmake make g++ ninja-build pkg-config libutf8proc-dev libglib2.0-dev $packages"

missing=""
for p in $packages; do
  case " $missing " in *" $p "*) continue ;; esac
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "install-deps: missing packages for '$*'; as root, run:" >&2
  echo "apt-get install$missing" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
