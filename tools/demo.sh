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
echo "--- running DemoSetup.exe /q under Wine"
set +e
"$root/tools/wine-run.sh" "$build/wine" 120 "$build/mingw/bin/runreport.exe" "$demo/DemoSetup.exe" /q
code=$?
set -e
echo "--- DemoSetup.exe exit code: $code"
