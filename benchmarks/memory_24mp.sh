#!/usr/bin/env bash
# Resident memory of the real window through the phases of work on 200 frames of 6000 x 4000
# JPEG pairs, each with a 6000 x 4000 mask, under Xvfb and openbox: opening, the idle fill of the
# playback cache, frame steps 0.1 s and 0.6 s apart, and playback; at 1:1 first, then at
# "Ganzes Bild". Prints the highest resident size of each phase, sampled every 0.1 s.
#
#   benchmarks/memory_24mp.sh [OUT_DIR]      (default: a new folder under /tmp)
#
# The pictures are the twelve JPEGs and the mask that ../shared/bench/gen_data.py --size
# 6000x4000 -n 1 --jpegs 12 makes in $MORVEL_BENCH_DATA (default /tmp/morvel-bench), linked
# under 400 names. MORVEL_PROGRAM names another build of the program to measure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
program=${MORVEL_PROGRAM:-$root/${MORVEL_BUILD_DIR:-build}/bin/morvel}
frames=${MORVEL_FRAMES:-200}
out=${1:-$(mktemp -d /tmp/morvel-memory.XXXXXX)}
mkdir -p "$out"
scripts/install-deps xvfb openbox xdotool x11-utils
[ -x "$program" ] || { echo "no $program: build the morvel target" >&2; exit 2; }
source benchmarks/window_session.sh
require_camera_pictures

# ---- The project: frame k shows picture 2k over picture 2k + 1, each a link to a JPEG ----
python3 - "$data" "$out" "$frames" <<'PY'
import os, struct, sys
data, out, frames = sys.argv[1], sys.argv[2], int(sys.argv[3])
os.makedirs(f"{out}/pictures", exist_ok=True)
os.makedirs(f"{out}/masks", exist_ok=True)
digits = len(str(frames))
project = bytearray(b"MORVEL 1.0\r\nMemory\r\n\r\n\r\nmasks/$Nr.png\r\n\r\n")
project += struct.pack("<i", frames)
for k in range(frames):
    names = []
    for layer in (0, 1):
        name = f"{out}/pictures/{2 * k + layer}.jpg"
        if not os.path.exists(name):
            os.link(f"{data}/jpeg6000x4000/big_{(2 * k + layer) % 12:03d}.jpg", name)
        names.append(name)
    project += f"{names[0]}\r\n{names[1]}\r\n".encode() + b"\x01"
    mask = f"{out}/masks/{k + 1:0{digits}d}.png"
    if not os.path.exists(mask):
        os.link(f"{data}/6000x4000/mask_000.png", mask)
open(f"{out}/Memory.mvl", "wb").write(project)
PY

# ---- The display and the program ----
start_display
start_program "$out/Memory.mvl"

# The highest resident size so far, sampled in the background into a file per phase.
phase_file=$out/phase
echo opening >"$phase_file"
(
    while kill -0 "$program_pid" 2>/dev/null; do
        rss=$(awk '/^VmRSS/ {print $2}' "/proc/$program_pid/status" 2>/dev/null || true)
        [ -n "$rss" ] && echo "$(cat "$phase_file") $rss" >>"$out/samples"
        sleep 0.1
    done
) &
pids+=($!)
phase() { echo "$1" >"$phase_file.new" && mv "$phase_file.new" "$phase_file"; }

# The title names the project once it is open (the thumbnails of a first opening take a while).
wait_for_main_window '^Memory.* - Morvel$' 6000
xdotool windowsize "$main" 1600 1000 windowmove "$main" 0 0 windowactivate "$main"
xdotool mousemove 1700 1100
steps() {  # count, seconds between
    for _ in $(seq "$1"); do xdotool key Right; sleep "$2"; done
}
run_phases() {  # the view's name
    phase "$1: fill"
    sleep "${MORVEL_FILL_SECONDS:-30}"
    phase "$1: steps 0.1 s apart"
    steps 30 0.1
    sleep 2
    phase "$1: steps 0.6 s apart"
    steps 10 0.6
    phase "$1: playback"
    xdotool key Home
    sleep 1
    xdotool key space
    sleep 8
    xdotool key Escape
    sleep 2
}
run_phases "1:1"
# The zoom tool's options hold "Ganzes Bild".
xdotool mousemove 18 82 click 1
sleep 0.5
xdotool mousemove 125 53 click 1 mousemove 1700 1100
run_phases "Ganzes Bild"
phase end
kill "$program_pid"
awk '$1 != "end" {rss = $NF; $NF = ""; if (!(($0) in peak) || rss > peak[$0]) peak[$0] = rss;
                  if (!(($0) in seen)) {order[n++] = $0; seen[$0] = 1}}
     END {for (i = 0; i < n; i++) printf "%-32s peak resident %5.0f MB\n", order[i], peak[order[i]] / 1024}' \
    "$out/samples"
echo "samples in $out/samples"
