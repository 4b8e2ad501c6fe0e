#!/usr/bin/env bash
# Makes the README's pictures in docs/ from the scripted demo scene (scripts/demo-scene.sh)
# played with the release build of TORVINEL.EXE in a private Xvfb: the restore GIF, the
# idle and busy dialog and the list with the line kept before the restore at 100 % scaling,
# and the idle dialog at 150 % (144 DPI).
#   docs-pictures.sh        (as root from a clean clone: installs and builds what is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh >/dev/null
source scripts/xvfb.sh
use_private_xvfb

max_gif_bytes=409600
work=$(mktemp -d)
trap 'rm -rf "$work"; kill ${TORVINEL_XVFB_PID:-0} 2>/dev/null || true' EXIT
export TORVINEL_EXE=build/windows/app/release/TORVINEL.EXE

TORVINEL_DPI=96 bash scripts/demo-scene.sh "$work/96"
TORVINEL_DPI=144 bash scripts/demo-scene.sh "$work/144"

mkdir -p docs
# Pictures without timestamps or other chunks that change on every run.
png() { convert "$1" -strip -define png:exclude-chunks=date,time "$2"; }
png "$work/96/dialog.png" docs/dialog.png
png "$work/96/dialog-busy.png" docs/dialog-busy.png
png "$work/96/dialog-snapshot.png" docs/dialog-snapshot.png
png "$work/144/dialog.png" docs/dialog-144dpi.png
cp "$work/96/restore.gif" docs/restore.gif

size=$(stat -c %s docs/restore.gif)
if [ "$size" -gt "$max_gif_bytes" ]; then
    echo "docs-pictures: docs/restore.gif has $size bytes, more than $max_gif_bytes" >&2
    exit 1
fi
ls -l docs/*.png docs/*.gif
