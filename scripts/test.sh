#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, then builds and runs every test twice: an optimised g++ build with
# warnings as errors, and a clang build under AddressSanitizer and UndefinedBehaviorSanitizer
# (which also replays the fuzz targets' regression inputs). Last, the Debian package of the
# optimised build is made and checked without installing it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
for preset in ci asan; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs" --timeout 300
done

echo "=== package ==="
scripts/package.sh --from build/ci
