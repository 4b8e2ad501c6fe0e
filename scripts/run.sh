#!/usr/bin/env bash
# Builds TORVINEL.EXE and runs it under Wine beside a test desktop full of icons.
#   With a display (DISPLAY set): play with it; the script ends when TORVINEL.EXE does.
#   Without one: a scripted scene in a private Xvfb (scripts/demo-scene.sh) leaves
#   screenshots and an animated GIF of a restore in OUTDIR (default out/).
#   run.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-out}
bash scripts/setup.sh
bash scripts/build.sh
source scripts/xvfb.sh
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    bash scripts/demo-scene.sh "$out"
    ls -l "$out"
    echo "Output folder: $out/"
    exit 0
fi

source scripts/demo-lib.sh
trap demo_stop EXIT  # also when interrupted
demo_begin
demo_start_desktop
demo_start_program
echo "TORVINEL.EXE runs beside the test desktop: remember, drag icons, restore. Close it to end."
wait "$demo_pid" || true
