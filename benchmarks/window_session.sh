# What the window benchmarks share; sourced by them after `out` and `program` are set.
#
#   require_camera_pictures        the twelve 6000 x 4000 JPEGs and the mask of gen_data.py
#   write_pair_project FILE TITLE  12 frames: JPEG k over JPEG k + 6 through the mask
#   start_display [WxH]            Xvfb on a random display number, then openbox; DISPLAY exported
#   start_program ARGS...          the program with its home and runtime folders under $out, in
#                                  the C locale; its process id in program_pid
#   wait_for_main_window [PATTERN [TRIES]]
#                                  sets main to the main window's id, taking the language the
#                                  first start offers; exits 1 when it does not come
#
# Every process started here is ended, the last one first, when the script exits, and the
# program's settings and workplace files go again unless they were there before.

data=${MORVEL_BENCH_DATA:-/tmp/morvel-bench}
pids=()
settings=$(dirname "$program")/morvel_settings.dat
workplace=$(dirname "$program")/morvel_workplace.dat
had_settings=0
[ -e "$settings" ] && had_settings=1
had_workplace=0
[ -e "$workplace" ] && had_workplace=1
end_session() {
    # The program first (it may write its settings as it ends), then its display.
    for ((k = ${#pids[@]} - 1; k >= 0; k--)); do
        kill "${pids[k]}" 2>/dev/null || true
        wait "${pids[k]}" 2>/dev/null || true
    done
    [ "$had_settings" = 1 ] || rm -f "$settings"
    [ "$had_workplace" = 1 ] || rm -f "$workplace"
}
trap end_session EXIT
mkdir -p "$out/home" "$out/run"
chmod 700 "$out/run"

require_camera_pictures() {
    [ -e "$data/jpeg6000x4000/big_011.jpg" ] && [ -e "$data/6000x4000/mask_000.png" ] || {
        echo "no pictures in $data: run gen_data.py --size 6000x4000 -n 1 --jpegs 12" >&2
        exit 2
    }
}

write_pair_project() {  # file, title
    {
        printf 'MORVEL 1.0\r\nsteps\r\n%s\r\n\r\nmask_$Nr.png\r\nframe_$Nr.png\r\n' "$2"
        printf '\x0c\x00\x00\x00'
        for k in $(seq 0 11); do
            printf '%s/jpeg6000x4000/big_%03d.jpg\r\n' "$data" "$k"
            printf '%s/jpeg6000x4000/big_%03d.jpg\r\n\x01' "$data" $(((k + 6) % 12))
            cp "$data/6000x4000/mask_000.png" "$(dirname "$1")/$(printf 'mask_%02d.png' $((k + 1)))"
        done
    } >"$1"
}

start_display() {  # [width x height]
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 "${1:-1920x1200}x24" -nolisten tcp >"$out/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=$display
    for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >"$out/openbox.log" 2>&1 &
    pids+=($!)
    sleep 1
}

start_program() {  # arguments
    HOME=$out/home XDG_RUNTIME_DIR=$out/run LC_ALL=C LANG=C "$program" "$@" \
        >"$out/stdout.log" 2>"$out/stderr.log" &
    program_pid=$!
    pids+=($program_pid)
}

wait_for_main_window() {  # [title pattern [tries 0.1 s apart]]
    main=
    for _ in $(seq "${2:-600}"); do
        main=$(xdotool search --onlyvisible --name "${1:- - Morvel\$}" 2>/dev/null | head -n 1) || true
        [ -n "$main" ] && return
        xdotool search --onlyvisible --name '^Language$' >/dev/null 2>&1 && xdotool key Return
        sleep 0.1
    done
    echo "the main window did not come" >&2
    exit 1
}
