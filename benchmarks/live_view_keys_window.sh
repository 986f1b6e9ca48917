#!/usr/bin/env bash
# The frame keys while live view runs, in the real window under Xvfb and openbox: the time from
# a Right or Left press (XTest, as a keyboard gives it) to the frame strip's pixels changing
# (its marker moves), with live view off and then on (key L), the camera being FFmpeg's test
# source at 1920 x 1080 and 24 frames a second (benchmarks/key_to_pixels.c measures it).
#
#   benchmarks/live_view_keys_window.sh [OUT_DIR]      (default: a new folder under /tmp)
#
# The project has 12 frames of two 6000 x 4000 camera-like JPEGs each and a 6000 x 4000 mask,
# made by ../shared/bench/gen_data.py --size 6000x4000 -n 1 --jpegs 12 into $MORVEL_BENCH_DATA
# (default /tmp/morvel-bench). The window is 1600 x 1000.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
program=$root/${MORVEL_BUILD_DIR:-build}/bin/morvel
out=${1:-$(mktemp -d /tmp/morvel-live-keys.XXXXXX)}
camera=${MORVEL_CAMERA:-lavfi:testsrc2=size=1920x1080:rate=24}
mkdir -p "$out"
scripts/install-deps xvfb openbox xdotool x11-utils imagemagick libx11-dev libxtst-dev gcc
[ -x "$program" ] || { echo "no $program: build the morvel target" >&2; exit 2; }
source benchmarks/window_session.sh
require_camera_pictures
cc -O2 -o "$out/key_to_pixels" benchmarks/key_to_pixels.c -lX11 -lXtst

project=$out/steps.mvl
write_pair_project "$project" live_view_keys_window
start_display
start_program --camera "$camera" "$project"
wait_for_main_window
xdotool windowsize "$main" 1600 1000 windowmove "$main" 0 0 windowactivate "$main"
# Opened when the strip's pixels hold still for two seconds: the thumbnails are in.
strip() { import -window root -crop ${MORVEL_STRIP_CROP:-1600x140+0+860} rgb:- | md5sum; }
last=$(strip)
for _ in $(seq 60); do
    sleep 2
    now=$(strip)
    [ "$now" = "$last" ] && break
    last=$now
done
xdotool mousemove 1700 1100  # the pointer off the window
# The strip's twelve columns: the marker moves there.
# Each step's time is kept in steps.txt; the median line is printed.
probe() {
    "$out/key_to_pixels" ${MORVEL_STRIP_RECT:-40 880 800 90} "$1" 11 600 >"$out/probe.txt"
    sed "s/^/$2 $1: /" "$out/probe.txt" >>"$out/steps.txt"
    tail -n 1 "$out/probe.txt"
}
live() { [ "$(xdotool search --onlyvisible --name ' - Morvel$' | head -n 1)" = "$main" ]; }

# A camera named on the command line starts live: L stops it first.
xdotool key l
sleep 1
import -window root -crop 1600x1000+0+0 "$out/still.png"
echo "live view off, 11 steps Right: $(probe Right off)"
echo "live view off, 11 steps Left:  $(probe Left off)"
xdotool key l
sleep 2
import -window root -crop 1600x1000+0+0 "$out/live.png"
echo "live view on,  11 steps Right: $(probe Right on)"
echo "live view on,  11 steps Left:  $(probe Left on)"
echo "screenshots in $out"
