#!/usr/bin/env bash
# morvel-render side by side with ffmpeg in one run, on the same input frames, both writing the
# same format. Needs a built tree (scripts/build) and Debian's ffmpeg and GNU time.
#   benchmarks/render_vs_ffmpeg.sh [BUILD_DIR]
# Environment (defaults in brackets):
#   SIZES   frame sizes                        [1920x1080 6000x4000]
#   FORMATS output formats                     [png jpg bmp]
#   FRAMES  frames per size, same order as SIZES [20 6]
#   ROUNDS  interleaved rounds; medians shown  [3]
#   PARTS   which parts run                    [pictures camera video memory]; delivery runs
#           only when named
#   CAMERA_SIZES, CAMERA_FRAMES  sizes and frame counts of the camera part [1920x1080 6000x4000] [20 6]
#   CAMERA_DATA  where the generated camera pictures are kept    [$TMPDIR/morvel-bench]
#   REALTIME=1 runs both programs at real-time priority (chrt -f 1, needs root), which shields
#           them from other work on a shared machine; both are treated alike.
# pictures: two PNG takes and a PNG mask per frame (smooth generated pictures). morvel-render writes PNG
#   through libdeflate at level 6 with a filter chosen per row, JPEG at quality 70, BMP; ffmpeg's
#   maskedmerge writes PNG at compression level 9,
#   JPEG (mjpeg, q 7) and BMP. Shown per format and size: wall time per frame, the ratio of
#   morvel-render's wall time to ffmpeg's, CPU time (user + system) per frame, peak memory.
# video: 100 frames of 1920 x 1080 MPEG-4 videos with a key frame every 1 and every 250 frames,
#   rendered as JPEG: as layer 1 alone, and both layers from two videos; ffmpeg decodes the same
#   videos and writes JPEG.
# delivery: MP4 (H.264, preset medium, CRF 18, 4:2:0) and MOV (ProRes 422 HQ, 4:2:2 10-bit, 1500
#   bits a macroblock) videos (DELIVERY_FORMATS [mp4 mov]) at 24 fps of camera-like frames (DELIVERY_SIZE [1920x1080], DELIVERY_FRAMES [24]):
#   morvel-render --format mp4|mov against ffmpeg composing the same PNG layers with maskedmerge
#   and encoding with the same codec settings. Shown: wall time, ratio, peak memory and CPU time
#   (user + system, both whole runs): on a busy machine the CPU time tells the work apart from the
#   wait.
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
parts=${PARTS:-pictures camera video memory}
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

# One row per output format: morvel-render on the project against ffmpeg's maskedmerge on the same
# pictures. Arguments: label, size, frame count, folder, layer-1, layer-2 and mask file patterns.
compare_pictures() {
    local label=$1 size=$2 frames=$3 in=$4 one=$5 two=$6 mask=$7
    local list=() i
    for i in $(seq -f %03g 1 "$frames"); do
        list+=("$in/$(printf "$one" "$i")|$in/$(printf "$two" "$i")|$in/$(printf "$mask" "$i")")
    done
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
            measure ffmpeg -v error -start_number 1 -i "$in/${two//%s/%03d}" -start_number 1 -i "$in/${one//%s/%03d}" \
                -start_number 1 -i "$in/${mask//%s/%03d}" -filter_complex "[0:v][1:v][2:v]maskedmerge" \
                "${ffmpeg_out[@]}" "$work/out/ff.%03d.$format" >>"$work/f.txt"
            echo >>"$work/f.txt"
        done
        col() { awk -v c="$2" 'NF { print $c }' "$1" | median; }
        mw=$(col "$work/m.txt" 1) fw=$(col "$work/f.txt" 1)
        mc=$(col "$work/m.txt" 2) fc=$(col "$work/f.txt" 2)
        mm=$(col "$work/m.txt" 3) fm=$(col "$work/f.txt" 3)
        awk -v l="$label" -v s="$size" -v f="$format" -v n="$frames" -v mw="$mw" -v fw="$fw" -v mc="$mc" \
            -v fc="$fc" -v mm="$mm" -v fm="$fm" 'BEGIN {
            printf "%-7s %-10s %-4s %6d | %12.0f %12.0f %6.2f | %12.0f %12.0f | %9.0f %9.0f\n",
                l, s, f, n, mw * 1000 / n, fw * 1000 / n, mw / fw, mc * 1000 / n, fc * 1000 / n,
                mm / 1024, fm / 1024 }'
    done
}

if [[ $parts == *pictures* || $parts == *camera* ]]; then
    printf '%-7s %-10s %-4s %6s | %12s %12s %6s | %12s %12s | %9s %9s\n' layers size fmt frames \
        "morvel ms/f" "ffmpeg ms/f" ratio "morvel cpu/f" "ffmpeg cpu/f" "morvel MB" "ffmpeg MB"
fi

if [[ $parts == *pictures* ]]; then
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
        compare_pictures smooth "$size" "$frames" "$in" a_%s.png b_%s.png m_%s.png
        rm -rf "$in"
    done
fi

# camera: pictures as a camera takes them, from the shared data generator (a stop-motion set with
# sensor noise, a moving puppet and a painted mask): PNG layers, and the same layers as JPEG at
# quality 92. The generator's files are kept in CAMERA_DATA between runs.
if [[ $parts == *camera* ]]; then
    scripts/install-deps python3-numpy python3-pil
    generator=${GEN_DATA:-../shared/bench/gen_data.py}
    data=${CAMERA_DATA:-${TMPDIR:-/tmp}/morvel-bench}
    read -r -a camera_sizes <<<"${CAMERA_SIZES:-1920x1080 6000x4000}"
    read -r -a camera_frames <<<"${CAMERA_FRAMES:-20 6}"
    for s in "${!camera_sizes[@]}"; do
        size=${camera_sizes[$s]}
        frames=${camera_frames[$s]:-${camera_frames[-1]}}
        /usr/bin/python3 "$generator" --size "$size" -n "$frames" --root "$data" >/dev/null
        in=$data/$size
        for i in $(seq -f %03g 0 $((frames - 1))); do
            for layer in layer1 layer2; do
                [ -f "$in/${layer}_$i.jpg" ] || convert "$in/${layer}_$i.png" -quality 92 "$in/${layer}_$i.jpg"
            done
        done
        # The generator counts from 0; the patterns name frames from 1, so both links shift by one.
        mkdir -p "$work/cam-$size"
        for i in $(seq 1 "$frames"); do
            from=$(printf %03d $((i - 1))) to=$(printf %03d "$i")
            for f in layer1 layer2 mask; do
                for ext in png jpg; do
                    [ -f "$in/${f}_$from.$ext" ] && ln -sf "$in/${f}_$from.$ext" "$work/cam-$size/${f}_$to.$ext"
                done
            done
        done
        compare_pictures PNG "$size" "$frames" "$work/cam-$size" layer1_%s.png layer2_%s.png mask_%s.png
        compare_pictures JPEG "$size" "$frames" "$work/cam-$size" layer1_%s.jpg layer2_%s.jpg mask_%s.png
        rm -rf "$work/cam-$size"
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
if [[ $parts == *delivery* ]]; then
    scripts/install-deps python3-numpy python3-pil
    size=${DELIVERY_SIZE:-1920x1080}
    frames=${DELIVERY_FRAMES:-24}
    data=${CAMERA_DATA:-${TMPDIR:-/tmp}/morvel-bench}
    /usr/bin/python3 "${GEN_DATA:-../shared/bench/gen_data.py}" --size "$size" -n "$frames" --root "$data" >/dev/null
    in=$work/delivery
    mkdir -p "$in"
    list=()
    for i in $(seq 1 "$frames"); do
        from=$(printf %03d $((i - 1))) to=$(printf %03d "$i")
        for f in layer1 layer2 mask; do ln -sf "$data/$size/${f}_$from.png" "$in/${f}_$to.png"; done
        list+=("$in/layer1_$to.png|$in/layer2_$to.png|$in/mask_$to.png")
    done
    write_project "$in/Bench.mvl" "$in/masks" "$frames" "${list[@]}"
    printf '\n%-28s | %9s %9s %6s | %9s %9s | %9s %9s\n' "delivery, $size x $frames" "morvel s" "ffmpeg s" \
        ratio "morvel MB" "ffmpeg MB" "morvel cpu" "ffmpeg cpu"
    for format in ${DELIVERY_FORMATS:-mp4 mov}; do
        case $format in
            mp4) codec=(-c:v libx264 -preset medium -crf 18 -g 48 -pix_fmt yuv420p) ;;
            mov) codec=(-c:v prores_ks -profile:v hq -vendor apl0 -bits_per_mb 1500 -pix_fmt yuv422p10le) ;;
        esac
        : >"$work/m.txt"
        : >"$work/f.txt"
        for _ in $(seq "$rounds"); do
            rm -rf "$work/out"
            mkdir -p "$work/out"
            measure "$render" -q --format "$format" --fps 24 "$in/Bench.mvl" "$work/out/film" >>"$work/m.txt"
            echo >>"$work/m.txt"
            measure ffmpeg -v error -framerate 24 -start_number 1 -i "$in/layer2_%03d.png" -framerate 24 \
                -start_number 1 -i "$in/layer1_%03d.png" -framerate 24 -start_number 1 -i "$in/mask_%03d.png" \
                -filter_complex "[0:v][1:v][2:v]maskedmerge" "${codec[@]}" "$work/out/ff.$format" >>"$work/f.txt"
            echo >>"$work/f.txt"
        done
        col() { awk -v c="$2" 'NF { print $c }' "$1" | median; }
        awk -v l="$format" -v mw="$(col "$work/m.txt" 1)" -v fw="$(col "$work/f.txt" 1)" \
            -v mm="$(col "$work/m.txt" 3)" -v fm="$(col "$work/f.txt" 3)" \
            -v mc="$(col "$work/m.txt" 2)" -v fc="$(col "$work/f.txt" 2)" 'BEGIN {
            printf "%-28s | %9.2f %9.2f %6.2f | %9.0f %9.0f | %9.2f %9.2f\n", l, mw, fw, mw / fw, mm / 1024,
                fm / 1024, mc, fc }'
    done
    rm -rf "$in"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
