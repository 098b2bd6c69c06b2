#!/usr/bin/env bash
# On demand: what the tray program costs while it waits, end to end on a real
# X server with a tray. Main-thread wakeups in 30 idle seconds (context
# switches of the main thread), then resident memory after ten 5120 x 2880
# screenshots each opened by a tray click and closed with Escape, measured
# 10 s after the last, against the start and the two images kept on purpose.
#   bench/idle_memory.sh PINTORA
source "$(dirname "$0")/../tests/e2e/harness.sh"

e2e_start_desktop 1920x1080 LANG=en_US.UTF-8
pid=$E2E_APP_PID
switches() { awk '/ctxt_switches/ {s += $2} END {print s}' "/proc/$pid/task/$pid/status"; }
resident() { awk '/^VmRSS/ {print int($2 / 1024)}' "/proc/$pid/status"; }
sleep 5
before=$(switches)
sleep 30
echo "idle: $(($(switches) - before)) main-thread wakeups in 30 s"
start=$(resident)
for i in $(seq 1 10); do
    convert -size 5120x2880 "gradient:#$((i % 10))08040-#20$((i % 10))0a0" -fill white -draw "rectangle $((i * 100)),100 $((i * 100 + 800)),600" \
        "PNG24:$E2E_DIR/shot.png"
    e2e_open_editor_on "$E2E_DIR/shot.png"
    xdotool key Escape # to the editor, which has the focus
    sleep 1
done
sleep 10
image=$((5120 * 2880 * 4 / 1048576))
echo "resident: $start MiB at the start, $(resident) MiB after ten 5K images (each $image MiB; two are kept on purpose)"
# What holds it: the mappings of 16 MiB and more, with what of each is resident.
awk '/^[0-9a-f]+-[0-9a-f]+ / {name = $6} /^Size:/ {size = $2} /^Rss:/ && size >= 16384 {printf "  %d of %d MiB resident %s\n", $2 / 1024, size / 1024, name}' "/proc/$pid/smaps"
before=$(switches)
sleep 30
echo "idle after: $(($(switches) - before)) main-thread wakeups in 30 s"
