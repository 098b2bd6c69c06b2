#!/usr/bin/env bash
# On demand: what a user waits for, end to end on a real X server with a
# tray, for each binary given (the first is the one under test), against the
# floor measured in the same run.
#   bench/end_to_end.sh PINTORA [OTHER_PINTORA...]
# (E2E_BENCH_SIZES="1920x1080" for one size only.)
# Flows, each the median of 8 screenshot-like images per size:
#   open      a tray click with a new image on the clipboard (xclip) until
#             its picture is on the screen (a pixel at the screen's centre)
#   again     a click on the same image, its hidden editor shown again
#   escape    Escape until the window is off the screen
#   return    Crop & Copy of the whole image until the window is off the screen
#             (both keys a second after Select All and nothing else: on a
#             virtual machine a program answers more slowly the longer it
#             was idle, so the two come after the same wait and work)
#   window    not ours: a bare new window of the editor's size mapped through
#             the window manager until it shows, the part of "open" no
#             program of ours can shorten
# Clicks and keys come from XTEST in the probe itself, timed from when they
# are sent. The floor of "open": the X transfer (xclip reading the same offer,
# its start-up included) plus our
# decode into warm memory plus the first paint's scaling (bench/e2e_floor).
# The probe and the floor come from the first binary's build (bench/ beside its src/).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [[ -z ${E2E_BENCH_IMAGES:-} ]]; then
    (($# >= 1)) || { echo "usage: $0 PINTORA [OTHER_PINTORA...]" >&2; exit 2; }
    tools=${E2E_BENCH_TOOLS:-$(cd "$(dirname "$1")/.." && pwd)/bench}
    [[ -x $tools/e2e_probe && -x $tools/e2e_floor ]] || { echo "no e2e_probe/e2e_floor in $tools" >&2; exit 2; }
    images=$(mktemp -d)
    trap 'rm -rf "$images"' EXIT
    # Text on a light ground, as most screenshots are, with a patch of a
    # colour of its own at the centre to see it drawn by.
    convert -size 900x420 xc:'#f4f4f4' -fill '#222' -font DejaVu-Sans -pointsize 15 \
        -draw "text 12,30 'error: cannot open shared object file: No such file or directory (errno 2)'" \
        -draw "text 12,80 'Invoice 2026-0412 · total 1,284.50 EUR · due 14 December'" \
        -fill '#2a5db0' -draw "text 12,130 'https://example.org/issues/4412#comment-9'" \
        -fill '#888' -draw 'rectangle 12,170 880,172' -fill '#333' \
        -draw "text 12,220 '\$ cmake -S . -B build -G Ninja && ninja -C build'" "$images/tile.png"
    for size in ${E2E_BENCH_SIZES:-5120x2880 1920x1080}; do
        w=${size%x*} h=${size#*x}
        for i in 1 2 3 4 5 6 7 8; do
            colour=$(printf '%02x%02x%02x' $((30 + 20 * i)) 90 $((220 - 10 * i)))
            convert -size "$size" tile:"$images/tile.png" -fill "#$colour" \
                -draw "rectangle $((w * 3 / 10)),$((h * 3 / 10)) $((w * 7 / 10)),$((h * 7 / 10))" \
                "PNG24:$images/$size-$i-$colour.png"
        done
    done
    results=()
    for app in "$@"; do
        results+=("$(E2E_BENCH_IMAGES=$images E2E_BENCH_TOOLS=$tools E2E_NAME=end_to_end "$0" "$app")")
    done
    printf '%-10s %-6s' size flow
    for app in "$@"; do printf ' %32s' "$app"; done
    printf '\n'
    rows=$(printf '%s\n' "${results[0]}" | wc -l)
    for ((r = 1; r <= rows; r++)); do
        printf '%-10s %-6s' $(printf '%s\n' "${results[0]}" | sed -n "${r}p" | cut -d' ' -f1,2)
        for result in "${results[@]}"; do
            printf ' %32s' "$(printf '%s\n' "$result" | sed -n "${r}p" | cut -d' ' -f3-)"
        done
        printf '\n'
    done
    exit 0
fi

source "$here/../tests/e2e/harness.sh"
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

e2e_start_desktop 1920x1080 LANG=en_US.UTF-8
sleep 2
eval "$(xdotool getwindowgeometry --shell "$(e2e_tray_icon_window)")"
click=(click $((X + 8)) $((Y + 8)))
for size in ${E2E_BENCH_SIZES:-5120x2880 1920x1080}; do
    open=() again=() escape=() return=() floor=() window=()
    for file in "$E2E_BENCH_IMAGES/$size"-*.png; do
        colour=${file##*-}
        colour=${colour%.png}
        e2e_clip_put "$file"
        start=$(now_ms)
        xclip -selection clipboard -t image/png -o >/dev/null
        transfer=$(($(now_ms) - start))
        read -r decode scale < <("$E2E_BENCH_TOOLS/e2e_floor" "$file" 1536 800)
        floor+=("$(echo "$transfer + $decode + $scale" | bc)")
        window+=("$("$E2E_BENCH_TOOLS/e2e_probe" mapped 960 540 "$colour" 1536 864)")
        sleep 1
        open+=("$("$E2E_BENCH_TOOLS/e2e_probe" drawn 960 560 "$colour" "${click[@]}")")
        e2e_until 10 e2e_editor_window >/dev/null || e2e_fail "no editor"
        window=$(e2e_editor_window)
        xdotool windowactivate --sync "$window" 2>/dev/null || true
        sleep 1.5 # the next spare window is made a second after the open
        xdotool key ctrl+a
        sleep 1
        escape+=("$("$E2E_BENCH_TOOLS/e2e_probe" gone "$window" key Escape)")
        sleep 1
        again+=("$("$E2E_BENCH_TOOLS/e2e_probe" drawn 960 560 "$colour" "${click[@]}")")
        window=$(e2e_editor_window)
        xdotool windowactivate --sync "$window" 2>/dev/null || true
        xdotool key ctrl+a
        sleep 1
        return+=("$("$E2E_BENCH_TOOLS/e2e_probe" gone "$window" key Return)")
        sleep 1
    done
    f=$(printf '%s\n' "${floor[@]}" | median)
    for flow in open again escape return window; do
        declare -n times=$flow
        m=$(printf '%s\n' "${times[@]}" | median)
        if [[ $flow == open ]]; then
            printf '%s %s %s ms (%.2f× floor %s)\n' "$size" "$flow" "$m" "$(echo "$m / $f" | bc -l)" "$f"
        else
            printf '%s %s %s ms\n' "$size" "$flow" "$m"
        fi
    done
done
