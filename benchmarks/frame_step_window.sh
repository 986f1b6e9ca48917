#!/usr/bin/env bash
# The frame step and playback in the real window, under Xvfb and openbox:
#  - the time from a key press (XTest, as a keyboard gives it) to the canvas's pixels on the
#    screen changing, for Right and Left steps with 0.6 s between them and with 0.1 s (as a
#    held-down key gives them), at 1:1 and at "Ganzes Bild" (benchmarks/key_to_pixels.c
#    measures it), and held at once after a change of view, before the playback cache holds
#    the frames in it;
#  - screenshots of the film playing (Space) a tenth of a second apart, and after it stopped.
#
#   benchmarks/frame_step_window.sh [OUT_DIR]      (default: a new folder under /tmp)
#
# MORVEL_PROGRAM names another build of the program to measure (default: the build folder's).
#
# The project has 12 frames of two 6000 x 4000 camera-like JPEGs each and a 6000 x 4000 mask,
# made by ../shared/bench/gen_data.py --size 6000x4000 -n 1 --jpegs 12 into $MORVEL_BENCH_DATA
# (default /tmp/morvel-bench). The window is 1600 x 1000, its canvas about 1540 x 800.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
program=${MORVEL_PROGRAM:-$root/${MORVEL_BUILD_DIR:-build}/bin/morvel}
out=${1:-$(mktemp -d /tmp/morvel-window.XXXXXX)}
mkdir -p "$out"
scripts/install-deps xvfb openbox xdotool x11-utils x11-apps imagemagick libx11-dev libxtst-dev gcc
[ -x "$program" ] || { echo "no $program: build the morvel target" >&2; exit 2; }
source benchmarks/window_session.sh
require_camera_pictures
cc -O2 -o "$out/key_to_pixels" benchmarks/key_to_pixels.c -lX11 -lXtst

project=$out/steps.mvl
write_pair_project "$project" frame_step_window
start_display
start_program "$project"
wait_for_main_window
xdotool windowsize "$main" 1600 1000 windowmove "$main" 0 0 windowactivate "$main"
sleep 3
xdotool mousemove 1700 1100  # the pointer off the canvas: no brush outline in the pixels
# Each step's time is kept in steps.txt; the median line is printed.
probe() {
    "$out/key_to_pixels" 400 300 300 200 "$1" 11 "${2:-600}" >"$out/probe.txt"
    sed "s/^/$zoom $1 ${2:-600} ms apart: /" "$out/probe.txt" >>"$out/steps.txt"
    tail -n 1 "$out/probe.txt"
}
# Both directions 0.6 s apart, then as a held key: 0.1 s apart.
probes() {
    zoom=$1
    echo "$1, 11 steps Right: $(probe Right)"
    echo "$1, 11 steps Left:  $(probe Left)"
    echo "$1, 11 steps Right 0.1 s apart: $(probe Right 100)"
    echo "$1, 11 steps Left 0.1 s apart:  $(probe Left 100)"
}

probes "1:1"
# The zoom tool's options hold "Ganzes Bild".
xdotool mousemove 18 82 click 1
sleep 0.5
xdotool mousemove 125 53 click 1 mousemove 1700 1100
sleep 2
import -window root "$out/fit.png"
probes "Ganzes Bild"

# ---- A held key the playback cache cannot serve: back to 1:1, stepped in at once ----
xdotool mousemove 190 53 click 1 mousemove 1700 1100
sleep 0.3
zoom="1:1 at once"
echo "1:1 right after the change of view, 11 steps Right 0.1 s apart: $(probe Right 100)"

# ---- Playback at 12 frames a second: a screenshot every 0.1 s (xwd is quick enough) ----
sleep 8  # the playback cache fills meanwhile
xdotool key space
start=$(date +%s%N)
for k in 1 2 3 4 5 6; do
    sleep 0.1
    xwd -root -silent >"$out/playing_$k.xwd"
    echo "playing_$k after $((($(date +%s%N) - start) / 1000000)) ms"
done
xdotool key Escape
sleep 1
import -window root -crop 1600x1000+0+0 "$out/stopped.png"
for k in 1 2 3 4 5 6; do
    convert "xwd:$out/playing_$k.xwd" -crop 1600x1000+0+0 "$out/playing_$k.png"
    rm "$out/playing_$k.xwd"
done
for k in 1 2 3 4 5; do
    changed=$(compare -metric AE -extract 1540x800+36+69 "$out/playing_$k.png" \
        "$out/playing_$((k + 1)).png" null: 2>&1 || true)
    echo "playing: screenshot $k to $((k + 1)): $changed canvas pixels differ"
done
echo "screenshots in $out"
