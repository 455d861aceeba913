#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package fennimo_<version>_amd64.deb in a clean build folder (build/package),
# with the compiler and linker flags Debian builds its own packages with (hardening included),
# and checks it with scripts/check-package.sh. Install it with
#   sudo apt-get install ./build/package/fennimo_<version>_amd64.deb
#
# scripts/package.sh --from BUILD makes and checks the package of a build folder that is
# already built (the tests' build, in CI) in a throwaway folder, and builds nothing anew.
set -euo pipefail
from=
if [ $# -eq 2 ] && [ "$1" = "--from" ]; then
  from=$(realpath "$2")
elif [ $# -ne 0 ]; then
  echo "Usage: scripts/package.sh [--from BUILD]" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
scripts/install-deps.sh

if [ -n "$from" ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  cpack --config "$from/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
  scripts/check-package.sh "$out"/fennimo_*.deb
  exit
fi

rm -rf build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads CXXFLAGS and LDFLAGS when it first configures a folder, but not CPPFLAGS.
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake --preset package >/dev/null
cmake --build --preset package
cpack --preset package
deb=$(echo build/package/fennimo_*.deb)
scripts/check-package.sh "$deb"
echo "Made $deb"
