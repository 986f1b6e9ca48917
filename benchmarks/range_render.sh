#!/usr/bin/env bash
# A range at the end of a long project against the same frames as a project of their own, in one
# run: morvel-render --frames 9990-10000 of 10,000 frames of 320 x 240 picture pairs with a mask
# on every tenth frame, then the 11 frames alone. Needs a built tree and Debian's ffmpeg.
#   benchmarks/range_render.sh [BUILD_DIR [BASE_BUILD_DIR]]
# With a second build folder (another branch's), its morvel-render runs the same two renders in
# the same rounds. Environment: FRAMES [10000], FIRST [9990], LAST [10000], FORMAT [png],
# ROUNDS [5], KEEP=1 keeps the projects and names their folder. Prints the median wall time of
# each and the ratio long / alone.
set -euo pipefail
cd "$(dirname "$0")/.."
renders=("$(realpath "${1:-build}/bin/morvel-render")")
[ -n "${2:-}" ] && renders+=("$(realpath "$2/bin/morvel-render")")
frames=${FRAMES:-10000}
first=${FIRST:-9990}
last=${LAST:-10000}
format=${FORMAT:-png}
rounds=${ROUNDS:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/morvel-range-bench-XXXXXX")
if [ -n "${KEEP:-}" ]; then echo "projects in $work"; else trap 'rm -rf "$work"' EXIT; fi

mkdir -p "$work/pictures" "$work/long" "$work/alone"
for i in 0 1 2 3 4 5 6 7; do
    ffmpeg -loglevel error -f lavfi -i "testsrc=size=320x240:rate=1" -vf "hue=h=$((i * 40))" \
        -frames:v 1 "$work/original$i.jpg"
done
ffmpeg -loglevel error -f lavfi -i "gradients=size=320x240" -vf format=gray -frames:v 1 \
    "$work/mask.png"

# The project file, byte by byte: six header lines, the count, then two lines and a mask flag a
# frame. Frames first..last (1-based) of the long film; masks linked under their numbers.
python3 - "$work" "$frames" "$first" "$last" <<'PY'
import os, struct, sys
work, frames, first, last = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
def project(path, indices):
    folder = os.path.dirname(path)
    digits = len(str(len(indices)))
    out = bytearray(b"MORVEL 1.0\r\nBench\r\n\r\n\r\nmasks/$Nr.png\r\n\r\n")
    out += struct.pack("<i", len(indices))
    os.makedirs(folder + "/masks", exist_ok=True)
    for n, k in enumerate(indices, 1):
        names = []
        for layer in (0, 1):
            name = f"{work}/pictures/{2 * k + layer}.jpg"
            if not os.path.exists(name):
                os.link(f"{work}/original{(2 * k + layer) % 8}.jpg", name)
            names.append(name)
        mask = k % 10 == 0
        out += f"{names[0]}\r\n{names[1]}\r\n".encode() + (b"\x01" if mask else b"\x00")
        if mask:
            os.link(f"{work}/mask.png", f"{folder}/masks/{n:0{digits}d}.png")
    open(path, "wb").write(out)
project(f"{work}/long/Long.mvl", list(range(frames)))
project(f"{work}/alone/Alone.mvl", list(range(first - 1, last)))
PY

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
seconds() {  # wall seconds of one render
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "render failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
echo "load: $(uptime | sed 's/.*load average: //')"
for r in "${!renders[@]}"; do : >"$work/long$r.txt"; : >"$work/alone$r.txt"; done
for ((round = 0; round < rounds; round++)); do
    for r in "${!renders[@]}"; do
        render=${renders[$r]}
        rm -rf "$work/out"
        seconds "$render" -q -f "$format" --frames "$first-$last" "$work/long/Long.mvl" \
            "$work/out/long.$format" >>"$work/long$r.txt"
        seconds "$render" -q -f "$format" "$work/alone/Alone.mvl" "$work/out/alone.$format" \
            >>"$work/alone$r.txt"
    done
done
for r in "${!renders[@]}"; do
    long=$(median <"$work/long$r.txt")
    alone=$(median <"$work/alone$r.txt")
    printf '%s: --frames %s-%s of %s: %.3f s, the %s frames alone: %.3f s, ratio %.2f\n' \
        "${renders[$r]}" "$first" "$last" "$frames" "$long" "$((last - first + 1))" "$alone" \
        "$(echo "$long / $alone" | bc -l)"
done
echo "load: $(uptime | sed 's/.*load average: //')"
