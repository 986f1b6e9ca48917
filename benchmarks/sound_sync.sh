#!/usr/bin/env bash
# The film's sound against its pictures in the real window, under Xvfb and openbox, heard
# through a PulseAudio null sink (the only way a machine without a sound card can hear it):
#  - sync: a 24 fps project whose frames flash white once a second, with a sound track of clicks
#    at the same times over a quiet tone, plays 60 s (Space); the null sink's monitor is recorded
#    and the canvas read about every millisecond; the drift of click against flash from the
#    first seconds to the last is reported (goal: at most one frame);
#  - scrub: 20 frame steps (Right) half a second apart, from the key press to the first sound of
#    the step's slice in the same recording (goal: at most 50 ms).
#
#   benchmarks/sound_sync.sh [OUT_DIR]      (default: a new folder under /tmp)
#
# SYNC_SECONDS=N plays N seconds instead of 60; LOSE_DEVICE_AFTER=N removes the null sink N
# seconds into the film (the film should play on silent with one notice, see lost.png).
#
# PulseAudio runs only for this measurement (its own daemon, in OUT_DIR); the program needs
# none. The recording stays in OUT_DIR/recording.raw (48 kHz mono s16le) beside screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
program=$root/${MORVEL_BUILD_DIR:-build}/bin/morvel
out=${1:-$(mktemp -d /tmp/morvel-sound-sync.XXXXXX)}
seconds=${SYNC_SECONDS:-60}
fps=24
mkdir -p "$out"
out=$(cd "$out" && pwd)
scripts/install-deps xvfb openbox xdotool x11-utils imagemagick libx11-dev libxtst-dev gcc \
    pulseaudio pulseaudio-utils
[ -x "$program" ] || { echo "no $program: build the morvel target" >&2; exit 2; }
cc -O2 -o "$out/sound_sync_probe" benchmarks/sound_sync_probe.c -lX11 -lXtst -lpthread

# ---- The project: 64 s at 24 fps, frame 24k white, the others black ----
frames=$(((seconds + 4) * fps))
convert -size 1280x720 xc:black "$out/black.png"
convert -size 1280x720 xc:white "$out/white.png"
# Clicks of 10 ms at 2 kHz at each whole second, over a quiet 440 Hz tone that a step's slice
# makes heard wherever it falls.
ffmpeg -v error -y -f lavfi -i \
    "aevalsrc='0.1*sin(2*PI*440*t)+0.8*lt(mod(t\,1)\,0.01)*sin(2*PI*2000*t)':s=48000:d=$((seconds + 4))" \
    -ac 1 "$out/clicks.wav"
project=$out/sync.mvl
{
    printf 'MORVEL 1.0\r\nsync\r\nsound_sync\r\n\r\nmask_$Nr.png\r\nframe_$Nr.png\r\n'
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((frames & 255)) $((frames >> 8 & 255)) \
        $((frames >> 16 & 255)) $((frames >> 24 & 255)))"
    for k in $(seq 0 $((frames - 1))); do
        picture=$out/black.png
        [ $((k % fps)) = 0 ] && picture=$out/white.png
        printf '%s\r\n%s\r\n\x00' "$picture" "$picture"
    done
    printf 'MORVEL-SOUND 1\r\n%s\r\n0\r\n' "$out/clicks.wav"
} >"$project"

# ---- PulseAudio with a null sink, the display and the program ----
source benchmarks/window_session.sh
# German menus, whose keys the steps below type; the file goes again afterwards.
[ "$had_settings" = 1 ] || printf 'Deutsch\r\n' >"$settings"
export XDG_RUNTIME_DIR=$out/run HOME=$out/home
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    --load="module-native-protocol-unix" \
    --load="module-null-sink sink_name=film rate=48000 channels=2" >"$out/pulseaudio.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink film
start_display 1600x1000
start_program "$project"
wait_for_main_window
xdotool windowsize "$main" 1600 960 windowmove "$main" 0 0 windowactivate "$main"  # the status line on the screen
sleep 2
# "Ansicht" > "Bildrate ...": 24.
xdotool key alt+a
sleep 0.5
xdotool key Down Return
sleep 1
xdotool key ctrl+a
xdotool type "$fps"
xdotool key Return
sleep 6  # the sound decoded, the waveform drawn, the playback cache filled
xdotool mousemove 1500 45  # no tooltip, no brush outline
import -window root "$out/before.png"

# ---- Play, record, step ----
parec -d film.monitor --raw --format=s16le --rate=48000 --channels=1 --latency-msec=5 |
    "$out/sound_sync_probe" 400 300 "$seconds" 20 500 "$fps" "$out/recording.raw" |
    tee "$out/result.txt" &
probe=$!
if [ -n "${LOSE_DEVICE_AFTER:-}" ]; then
    # The device goes away while the film plays: it should play on silent, told once.
    sleep "$LOSE_DEVICE_AFTER"
    pactl unload-module module-null-sink
    sleep 2
    import -window root "$out/lost.png"
fi
sleep $((seconds / 2))
import -window root "$out/playing.png"
wait "$probe" || true
import -window root "$out/after.png"
echo "screenshots and the recording in $out"
