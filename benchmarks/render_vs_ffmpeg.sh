#!/usr/bin/env bash
# Times morvel-render writing 20 frames of 1920 x 1080 as PNG (level 9, filter None) against
# ffmpeg's maskedmerge filter writing the same frames as PNG at compression level 9, side by side
# in one run. Needs a built tree (scripts/build) and Debian's ffmpeg.
#   benchmarks/render_vs_ffmpeg.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
render="$build_dir/bin/morvel-render"
frames=20
work=$(mktemp -d "${TMPDIR:-/tmp}/morvel-render-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/morvel" "$work/ffmpeg"

# Two takes and a mask per frame: moving test pictures and a moving soft-edged mask.
ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v $frames -pix_fmt rgb24 "$work/in/a_%02d.png"
ffmpeg -v error -f lavfi -i "mandelbrot=size=1920x1080:rate=25" -frames:v $frames -pix_fmt rgb24 "$work/in/b_%02d.png"
ffmpeg -v error -f lavfi -i "gradients=size=1920x1080:rate=25:speed=0.05,format=gray,format=rgb24" \
    -frames:v $frames -pix_fmt rgb24 "$work/in/m_%02d.png"

# The project file, byte by byte: six header lines, the count, then two lines and a flag a frame.
mkdir -p "$work/project/masks"
{
    printf 'MORVEL 1.0\r\nBench\r\n\r\n\r\nmasks/$Nr.mask\r\n\r\n'
    printf "\\x$(printf %02x $frames)\\x00\\x00\\x00"
    for i in $(seq -w 1 $frames); do
        printf '%s\r\n%s\r\n\x01' "$work/in/a_$i.png" "$work/in/b_$i.png"
        cp "$work/in/m_$i.png" "$work/project/masks/$i.mask"
    done
} > "$work/project/Bench.mvl"

time_of() {
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

echo "cores: $(nproc)"
morvel=$(time_of "$render" -q "$work/project/Bench.mvl" "$work/morvel/frame.png")
ffmpeg_time=$(time_of ffmpeg -v error -i "$work/in/b_%02d.png" -i "$work/in/a_%02d.png" -i "$work/in/m_%02d.png" \
    -filter_complex "[0:v][1:v][2:v]maskedmerge" -compression_level 9 "$work/ffmpeg/frame.%02d.png")
echo "morvel-render: ${morvel} s for $frames frames ($(ls "$work/morvel" | wc -l) files)"
echo "ffmpeg maskedmerge: ${ffmpeg_time} s for $frames frames ($(ls "$work/ffmpeg" | wc -l) files)"
echo "ratio morvel/ffmpeg: $(awk -v a="$morvel" -v b="$ffmpeg_time" 'BEGIN { printf "%.2f", a / b }')"
