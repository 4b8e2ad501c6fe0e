#!/usr/bin/env bash
# The scripted demo scene (run.sh runs it when there is no display, in a private Xvfb):
# remember the icons, scramble them, restore the layout enjoyably while frames are
# taken, and leave screenshots and an animated GIF of the icons gliding home.
#   demo-scene.sh OUTDIR      (DISPLAY set, both builds made)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
source scripts/demo-lib.sh
w=${demo_desktop_size%x*} h=${demo_desktop_size#*x}
max_frames=100  # more would exhaust ImageMagick's default resource limits
frames=$(mktemp -d)
finished=0
trap 'rm -rf "$frames"; [ $finished = 1 ] || demo_stop' EXIT  # nothing left running on failure
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.gif

shoot_dialog() { import -window "$(xdotool search --name '^ナラベ・リオン$' | head -1)" "$1"; }
shoot_scene() { import -window root -crop "$scene" +repage "$1"; }
# Waits until the dialog's state (see driver state) has a line matching $1.
wait_state() {
    local _
    for _ in $(seq 250); do
        drv state | grep -q "$1" && return 0
        sleep 0.02
    done
    echo "demo: the dialog never showed \"$1\"" >&2
    exit 1
}
frame() { import -window root -crop "${w}x$h+0+0" +repage "$frames/$(printf %04d "$1").miff"; }

demo_begin
# A fresh start: no layouts left from an earlier scene.
demo_wine exec reg delete 'HKCU\Software\BRANOK Soft\TORVINEL' /f >/dev/null 2>&1 || true
demo_start_desktop
demo_start_program
# The desktop with the dialog beside it (its width grows with the display scaling).
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^ナラベ・リオン$' | head -1)")"
scene="$((X + WIDTH + 10))x$h+0+0"

echo "demo: remember"
drv click 1000
drv title "デモの配置"
wait_state '^line デモの配置'
drv select 0
sleep 0.3
shoot_dialog "$out/dialog.png"

echo "demo: scramble $(drv scramble 2026 | tr -d '\r') icons"
sleep 0.5
shoot_scene "$out/desktop-scrambled.png"
frame 0

echo "demo: restore enjoyably"
drv click 1005
wait_state '中断'
shoot_dialog "$out/dialog-busy.png"
n=1
start=$(date +%s%N)
while :; do
    frame $n
    n=$((n + 1))
    drv wait-idle 0 >/dev/null 2>&1 && break
    [ $n -lt 600 ] || { echo "demo: the restore does not end" >&2; exit 1; }
done
took=$((($(date +%s%N) - start) / 1000000))
sleep 0.3
frame $n
shoot_scene "$out/desktop-restored.png"
# The restore kept the arrangement before it as the line （復元前の配置）: shown selected.
drv select 1
sleep 0.3
shoot_dialog "$out/dialog-snapshot.png"

# Frames at the pace they were taken (centiseconds), the first and the last held; every
# k-th frame of the glide when there are more than max_frames.
files=("$frames"/*.miff)
glide=("${files[@]:1:${#files[@]}-2}")
step=$(((${#glide[@]} + max_frames - 1) / max_frames))
kept=()
for ((i = 0; i < ${#glide[@]}; i += step)); do kept+=("${glide[i]}"); done
delay=$((took / ${#kept[@]} / 10))
convert -loop 0 -delay 120 "${files[0]}" -delay "$((delay > 2 ? delay : 2))" \
    "${kept[@]}" -delay 200 "${files[-1]}" -layers Optimize "$out/restore.gif"
echo "demo: the glide took ${took} ms, ${n} frames"

drv close
wait "$demo_pid" || true
demo_stop
finished=1
