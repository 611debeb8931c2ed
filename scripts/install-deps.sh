#!/bin/sh
# Installs the Debian packages the build, the tests and the benchmarks need.
# Does nothing (and needs no network) when they are all present already.
set -eu
packages="cmake make g++ ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libutf8proc-dev libglib2.0-dev libglib2.0-bin
  shared-mime-info desktop-file-utils xdg-utils
  clang libclang-rt-14-dev hyperfine time python3"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "install-deps: missing packages:$missing (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
