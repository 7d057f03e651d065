#!/usr/bin/env bash
# Runs one Windows program under the tests' Wine environment with a time limit.
#   wine-run.sh DIR SECONDS PROGRAM [ARGS...]
# The program's exit code is passed through; 124 means the time ran out.
set -uo pipefail
dir="$1"; limit="$2"; shift 2
eval "$("$(dirname "$0")/wine-env.sh" env "$dir")"
exec timeout -k 5 "$limit" wine "$@"
