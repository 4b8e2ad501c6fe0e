#!/usr/bin/env bash
# Builds TORVINEL.EXE and runs it under Wine: on your display if there is one, else in an
# Xvfb of its own (then it leaves a screenshot in out/ and closes the dialog).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
source scripts/xvfb.sh
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
use_display
prefix=$PWD/build/windows/wineprefix
wine_sh=cmake/wine.sh
exe=build/windows/app/TORVINEL.EXE
if [ $headless = 0 ]; then
    "$wine_sh" "$prefix" exec "$exe"
    exit 0
fi
mkdir -p out
"$wine_sh" "$prefix" exec "$exe" &
pid=$!
for _ in $(seq 100); do
    xdotool search --name 'ナラベ・リオン' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 1
import -window root out/dialog.png
echo "screenshot: out/dialog.png"
kill $pid 2>/dev/null || true
"$wine_sh" "$prefix" stop
