#!/usr/bin/env bash
# Runs every test: installs what the machine lacks, builds the native and the
# Windows trees, then CTest runs the native unit tests, the Windows tests under
# Wine and the end-to-end tests of real packages under Wine and Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SFX_BUILD_DIR:-$root/build}"
jobs="$(nproc)"

bash "$root/tools/bootstrap.sh" >/dev/null
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
