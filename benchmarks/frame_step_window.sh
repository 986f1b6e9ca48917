#!/usr/bin/env bash
# The frame step and playback in the real window, under Xvfb and openbox:
#  - the time from a key press (XTest, as a keyboard gives it) to the canvas's pixels on the
#    screen changing, for Right and Left steps with 0.6 s between them and with 0.1 s (as a
#    held-down key gives them), at 1:1 and at "Ganzes Bild" (benchmarks/key_to_pixels.c
#    measures it);
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
data=${MORVEL_BENCH_DATA:-/tmp/morvel-bench}
out=${1:-$(mktemp -d /tmp/morvel-window.XXXXXX)}
mkdir -p "$out"
scripts/install-deps xvfb openbox xdotool x11-utils x11-apps imagemagick libx11-dev libxtst-dev gcc
[ -x "$program" ] || { echo "no $program: build the morvel target" >&2; exit 2; }
[ -e "$data/jpeg6000x4000/big_011.jpg" ] && [ -e "$data/6000x4000/mask_000.png" ] || {
    echo "no pictures in $data: run gen_data.py --size 6000x4000 -n 1 --jpegs 12" >&2
    exit 2
}
cc -O2 -o "$out/key_to_pixels" benchmarks/key_to_pixels.c -lX11 -lXtst

# ---- The project: frame k shows JPEG k over JPEG k + 6 through the mask ----
project=$out/steps.mvl
{
    printf 'MORVEL 1.0\r\nsteps\r\nframe_step_window\r\n\r\nmask_$Nr.png\r\nframe_$Nr.png\r\n'
    printf '\x0c\x00\x00\x00'
    for k in $(seq 0 11); do
        printf '%s/jpeg6000x4000/big_%03d.jpg\r\n' "$data" "$k"
        printf '%s/jpeg6000x4000/big_%03d.jpg\r\n\x01' "$data" $(((k + 6) % 12))
        cp "$data/6000x4000/mask_000.png" "$out/$(printf 'mask_%02d.png' $((k + 1)))"
    done
} >"$project"

# ---- The display and the program ----
pids=()
settings=$(dirname "$program")/morvel_settings.dat
had_settings=0
[ -e "$settings" ] && had_settings=1
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    [ "$had_settings" = 1 ] || rm -f "$settings"
}
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$out/openbox.log" 2>&1 &
pids+=($!)
sleep 1
mkdir -p "$out/home" "$out/run"
chmod 700 "$out/run"
HOME=$out/home XDG_RUNTIME_DIR=$out/run LC_ALL=C LANG=C "$program" "$project" \
    >"$out/stdout.log" 2>"$out/stderr.log" &
pids+=($!)
main=
for _ in $(seq 600); do
    main=$(xdotool search --onlyvisible --name ' - Morvel$' 2>/dev/null | head -n 1) || true
    [ -n "$main" ] && break
    # The first start asks for the language: the one shown is taken.
    xdotool search --onlyvisible --name '^Language$' >/dev/null 2>&1 && xdotool key Return
    sleep 0.1
done
[ -n "$main" ] || { echo "the main window did not come" >&2; exit 1; }
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
