#!/usr/bin/env bash
# Builds everything, makes a demo package with sfxpack and runs it under Wine,
# printing what the stub logged and its exit code.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SFX_BUILD_DIR:-$root/build}"
demo="$build/demo"

bash "$root/tools/bootstrap.sh" >/dev/null
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)"

rm -rf "$demo" && mkdir -p "$demo/payload"
printf 'Demo product files\r\n' >"$demo/payload/readme.txt"
(cd "$demo/payload" && 7zz a -bd -y "$demo/payload.7z" . >/dev/null)
cat >"$demo/config.txt" <<'CFG'
[main]
ProductName=Demo Product
SetupFileName=setup.exe
CFG
"$build/bin/sfxpack" build --stub "$build/mingw/bin/sfxstub.exe" --config "$demo/config.txt" \
    --archive "$demo/payload.7z" -o "$demo/DemoSetup.exe"
"$build/bin/sfxpack" inspect "$demo/DemoSetup.exe"

"$root/tools/wine-env.sh" up "$build/wine"
# runreport reports the full 32-bit exit code (Wine hands Linux only its low 8 bits).
report="$demo/report.txt"
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }
echo "--- running DemoSetup.exe /q under Wine"
"$root/tools/wine-run.sh" "$build/wine" 120 "$build/mingw/bin/runreport.exe" --report "$(winpath "$report")" \
    --timeout 100000 "$(winpath "$demo/DemoSetup.exe")" /q || true
code="$(tr -d '\r' <"$report" 2>/dev/null | sed -n 's/^exit //p')"
if [ -z "$code" ]; then
    echo "--- DemoSetup.exe did not finish:"; cat "$report" 2>/dev/null
    exit 1
fi
printf -- '--- DemoSetup.exe exit code: %d (0x%08X)\n' "$code" "$code"
