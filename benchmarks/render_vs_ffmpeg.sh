#!/usr/bin/env bash
# morvel-render side by side with ffmpeg in one run, on the same input frames, both writing the
# same format. Needs a built tree (scripts/build) and Debian's ffmpeg and GNU time.
#   benchmarks/render_vs_ffmpeg.sh [BUILD_DIR]
# Environment (defaults in brackets):
#   SIZES   frame sizes                        [1920x1080 6000x4000]
#   FORMATS output formats                     [png jpg bmp]
#   FRAMES  frames per size, same order as SIZES [20 6]
#   ROUNDS  interleaved rounds; medians shown  [3]
#   PARTS   which parts run                    [pictures video memory]
#   REALTIME=1 runs both programs at real-time priority (chrt -f 1, needs root), which shields
#           them from other work on a shared machine; both are treated alike.
# pictures: two PNG takes and a PNG mask per frame. morvel-render writes PNG at level 9 with
#   filter None, JPEG at quality 70, BMP; ffmpeg's maskedmerge writes PNG at compression level 9,
#   JPEG (mjpeg, q 7) and BMP. Shown per format and size: wall time per frame, the ratio of
#   morvel-render's wall time to ffmpeg's, CPU time (user + system) per frame, peak memory.
# video: 100 frames of 1920 x 1080 MPEG-4 videos with a key frame every 1 and every 250 frames,
#   rendered as JPEG: as layer 1 alone, and both layers from two videos; ffmpeg decodes the same
#   videos and writes JPEG.
# memory: peak memory of morvel-render for 20 and for 200 frames of 1920 x 1080 (the 200 frames
#   cycle through the 20 takes, each frame reads its own pictures).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
render=$(realpath "$build_dir/bin/morvel-render")
read -r -a sizes <<<"${SIZES:-1920x1080 6000x4000}"
read -r -a formats <<<"${FORMATS:-png jpg bmp}"
read -r -a frame_counts <<<"${FRAMES:-20 6}"
rounds=${ROUNDS:-3}
parts=${PARTS:-pictures video memory}
work=$(mktemp -d "${TMPDIR:-/tmp}/morvel-render-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The project file, byte by byte: six header lines, the count, then two lines and a mask flag a
# frame. Arguments: file, mask folder, count, then "layer1|layer2|mask-or-empty" per frame.
write_project() {
    local file=$1 masks=$2 count=$3 i=0
    shift 3
    mkdir -p "$masks"
    {
        printf 'MORVEL 1.0\r\nBench\r\n\r\n\r\n%s/$Nr.mask\r\n\r\n' "$(basename "$masks")"
        printf "\\x$(printf %02x $((count & 255)))\\x$(printf %02x $((count >> 8)))\\x00\\x00"
        for frame in "$@"; do
            i=$((i + 1))
            IFS='|' read -r a b m <<<"$frame"
            if [ -n "$m" ]; then
                printf '%s\r\n%s\r\n\x01' "$a" "$b"
                cp "$m" "$masks/$(printf "%0${#count}d" $i).mask"
            else
                printf '%s\r\n%s\r\n\x00' "$a" "$b"
            fi
        done
    } >"$file"
}

# Runs a command under GNU time; prints "wall cpu peak-KiB".
priority=()
[ "${REALTIME:-}" = 1 ] && priority=(chrt -f 1)
measure() {
    local stats=$work/time.txt
    "${priority[@]}" /usr/bin/time -f '%e %U %S %M' -o "$stats" "$@" >/dev/null
    awk '{ printf "%.3f %.3f %d", $1, $2 + $3, $4 }' "$stats"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "cores: $(nproc); load before: $(cut -d' ' -f1-3 /proc/loadavg); real-time priority: ${REALTIME:-0}"

if [[ $parts == *pictures* ]]; then
    printf '%-10s %-4s %6s | %12s %12s %6s | %12s %12s | %9s %9s\n' size fmt frames \
        "morvel ms/f" "ffmpeg ms/f" ratio "morvel cpu/f" "ffmpeg cpu/f" "morvel MB" "ffmpeg MB"
    for s in "${!sizes[@]}"; do
        size=${sizes[$s]}
        frames=${frame_counts[$s]:-${frame_counts[-1]}}
        in=$work/in-$size
        mkdir -p "$in"
        # Two takes and a mask per frame: moving test pictures and a moving soft-edged mask.
        ffmpeg -v error -f lavfi -i "testsrc2=size=$size:rate=25" -frames:v "$frames" -pix_fmt rgb24 "$in/a_%03d.png"
        ffmpeg -v error -f lavfi -i "mandelbrot=size=$size:rate=25" -frames:v "$frames" -pix_fmt rgb24 "$in/b_%03d.png"
        ffmpeg -v error -f lavfi -i "gradients=size=$size:rate=25:speed=0.05,format=gray,format=rgb24" \
            -frames:v "$frames" -pix_fmt rgb24 "$in/m_%03d.png"
        list=()
        for i in $(seq -f %03g 1 "$frames"); do list+=("$in/a_$i.png|$in/b_$i.png|$in/m_$i.png"); done
        write_project "$in/Bench.mvl" "$in/masks" "$frames" "${list[@]}"
        for format in "${formats[@]}"; do
            case $format in
                png) ffmpeg_out=(-compression_level 9) ;;
                jpg) ffmpeg_out=(-pix_fmt yuvj420p -q:v 7) ;;
                bmp) ffmpeg_out=() ;;
            esac
            : >"$work/m.txt"
            : >"$work/f.txt"
            for _ in $(seq "$rounds"); do
                rm -rf "$work/out"
                mkdir -p "$work/out"
                measure "$render" -q "$in/Bench.mvl" "$work/out/frame.$format" >>"$work/m.txt"
                echo >>"$work/m.txt"
                measure ffmpeg -v error -i "$in/b_%03d.png" -i "$in/a_%03d.png" -i "$in/m_%03d.png" \
                    -filter_complex "[0:v][1:v][2:v]maskedmerge" "${ffmpeg_out[@]}" \
                    "$work/out/ff.%03d.$format" >>"$work/f.txt"
                echo >>"$work/f.txt"
            done
            col() { awk -v c="$2" 'NF { print $c }' "$1" | median; }
            mw=$(col "$work/m.txt" 1) fw=$(col "$work/f.txt" 1)
            mc=$(col "$work/m.txt" 2) fc=$(col "$work/f.txt" 2)
            mm=$(col "$work/m.txt" 3) fm=$(col "$work/f.txt" 3)
            awk -v s="$size" -v f="$format" -v n="$frames" -v mw="$mw" -v fw="$fw" -v mc="$mc" \
                -v fc="$fc" -v mm="$mm" -v fm="$fm" 'BEGIN {
                printf "%-10s %-4s %6d | %12.0f %12.0f %6.2f | %12.0f %12.0f | %9.0f %9.0f\n",
                    s, f, n, mw * 1000 / n, fw * 1000 / n, mw / fw, mc * 1000 / n, fc * 1000 / n,
                    mm / 1024, fm / 1024 }'
        done
        rm -rf "$in"
    done
fi

if [[ $parts == *video* ]]; then
    in=$work/video
    mkdir -p "$in"
    printf '\n%-28s | %9s %9s %6s\n' "video frames, JPEG" "morvel s" "ffmpeg s" ratio
    for gop in 1 250; do
        ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v 100 -c:v mpeg4 -q:v 3 -g $gop "$in/a$gop.avi"
        ffmpeg -v error -f lavfi -i "mandelbrot=size=1920x1080:rate=25" -frames:v 100 -c:v mpeg4 -q:v 3 -g $gop "$in/b$gop.avi"
        one=() two=()
        for n in $(seq 0 99); do
            hex=$(printf %X "$n")
            one+=("\$AVI\$$hex\$$in/a$gop.avi||")
            two+=("\$AVI\$$hex\$$in/a$gop.avi|\$AVI\$$hex\$$in/b$gop.avi|")
        done
        write_project "$in/one.mvl" "$in/masks" 100 "${one[@]}"
        write_project "$in/two.mvl" "$in/masks" 100 "${two[@]}"
        for layers in one two; do
            : >"$work/m.txt"
            : >"$work/f.txt"
            for _ in $(seq "$rounds"); do
                rm -rf "$work/out"
                mkdir -p "$work/out"
                measure "$render" -q "$in/$layers.mvl" "$work/out/frame.jpg" | cut -d' ' -f1 >>"$work/m.txt"
                if [ $layers = one ]; then
                    measure ffmpeg -v error -i "$in/a$gop.avi" -pix_fmt yuvj420p -q:v 7 "$work/out/ff.%03d.jpg" | cut -d' ' -f1 >>"$work/f.txt"
                else
                    # Both videos decoded, the first written: what a frame without a mask shows.
                    measure ffmpeg -v error -i "$in/a$gop.avi" -i "$in/b$gop.avi" -filter_complex \
                        "[0:v]null[out];[1:v]nullsink" -map "[out]" -pix_fmt yuvj420p -q:v 7 "$work/out/ff.%03d.jpg" | cut -d' ' -f1 >>"$work/f.txt"
                fi
            done
            m=$(median <"$work/m.txt") f=$(median <"$work/f.txt")
            awk -v l="$layers" -v g="$gop" -v m="$m" -v f="$f" 'BEGIN {
                printf "%-28s | %9.2f %9.2f %6.2f\n", (l == "one" ? "1 video, key frame every " : "2 videos, key frame every ") g, m, f, m / f }'
        done
    done
    rm -rf "$in"
fi

if [[ $parts == *memory* ]]; then
    in=$work/memory
    mkdir -p "$in"
    ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v 20 -pix_fmt rgb24 "$in/a_%03d.png"
    ffmpeg -v error -f lavfi -i "mandelbrot=size=1920x1080:rate=25" -frames:v 20 -pix_fmt rgb24 "$in/b_%03d.png"
    ffmpeg -v error -f lavfi -i "gradients=size=1920x1080:rate=25:speed=0.05,format=gray,format=rgb24" \
        -frames:v 20 -pix_fmt rgb24 "$in/m_%03d.png"
    printf '\n%-24s | %9s %9s %9s\n' "peak memory, 1920x1080" "png MB" "jpg MB" "bmp MB"
    for frames in 20 200; do
        list=()
        for k in $(seq 0 $((frames - 1))); do
            i=$(printf %03d $((k % 20 + 1)))
            list+=("$in/a_$i.png|$in/b_$i.png|$in/m_$i.png")
        done
        write_project "$in/m$frames.mvl" "$in/masks$frames" "$frames" "${list[@]}"
        line=$(printf '%-24s |' "$frames frames")
        for format in png jpg bmp; do
            rm -rf "$work/out"
            peak=$(measure "$render" -q "$in/m$frames.mvl" "$work/out/frame.$format" | cut -d' ' -f3)
            line+=$(printf ' %9.0f' "$((peak / 1024))")
        done
        echo "$line"
    done
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
