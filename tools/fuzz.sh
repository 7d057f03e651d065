#!/usr/bin/env bash
# Fuzzes one parser for a while: tools/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is one of tests/fuzz/corpus/*/ (CommandLine, ConfigBlock, ...). Builds
# the clang fuzz tree in $SFX_BUILD_DIR-fuzz (default build-fuzz), runs the
# target over its seeds and what earlier runs found, and leaves new inputs in
# BUILD/tests/fuzz/corpus/TARGET and crashes as BUILD/tests/fuzz/TARGET-crash-*.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SFX_BUILD_DIR:-$root/build}-fuzz"
if [ $# -lt 2 ] || [ ! -d "$root/tests/fuzz/corpus/$1" ]; then
    echo "usage: $0 TARGET SECONDS [libFuzzer options...]; TARGET one of:" \
        $(cd "$root/tests/fuzz/corpus" && ls) >&2
    exit 2
fi
target="$1" seconds="$2"
shift 2

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DSFX_WITH_MINGW=OFF -DSFX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "sfx_fuzz_$target"
found="$build/tests/fuzz/corpus/$target"
mkdir -p "$found"
exec "$build/bin/sfx_fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/tests/fuzz/$target-" "$@" "$found" "$root/tests/fuzz/corpus/$target"
