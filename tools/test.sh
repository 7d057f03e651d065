#!/usr/bin/env bash
# Runs every test: installs what the machine lacks, builds the native and the
# Windows trees, then CTest runs the native unit tests, the Windows tests under
# Wine and the end-to-end tests of real packages under Wine and Xvfb; then a
# clang tree runs the parsers' fuzz targets for a few seconds each.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SFX_BUILD_DIR:-$root/build}"
jobs="$(nproc)"

bash "$root/tools/bootstrap.sh" >/dev/null
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
# The parsers' fuzz targets need clang and libFuzzer: a tree of their own,
# where each one runs briefly over its seeds.
CC=clang CXX=clang++ cmake -S "$root" -B "$build-fuzz" -G Ninja -DSFX_WITH_MINGW=OFF -DSFX_FUZZ=ON >/dev/null
cmake --build "$build-fuzz" -j "$jobs" --target sfx_fuzz
ctest --test-dir "$build-fuzz" --output-on-failure -j "$jobs" -L fuzz "$@"
