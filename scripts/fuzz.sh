#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (60 unless
# given), with their corpora under build/fuzz/corpus.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz
# Seeds for the PNG reader: each colour type and depth, as ImageMagick writes them.
png_seeds=build/fuzz/corpus/fuzz_png_reader
if [[ ! -d $png_seeds ]] && command -v convert >/dev/null; then
    mkdir -p "$png_seeds"
    for format in PNG8 PNG24 PNG32 PNG48 PNG64 GRAY:PNG; do
        convert -size 13x7 plasma: -depth 8 "${format%%:*}:$png_seeds/seed-${format%%:*}.png" 2>/dev/null || true
    done
fi
# And one whose rows fill many slots, so that they are unfiltered on a thread.
if [[ ! -e $png_seeds/seed-large.png ]] && command -v convert >/dev/null; then
    mkdir -p "$png_seeds"
    convert -size 600x200 gradient:red-blue "PNG24:$png_seeds/seed-large.png" 2>/dev/null || true
fi
# A seed for the settings reader: a file as Pintora writes it.
settings_seeds=build/fuzz/corpus/fuzz_settings
if [[ ! -e $settings_seeds/seed.conf ]]; then
    mkdir -p "$settings_seeds"
    printf '[General]\ncolor=#0000ff\nfill=solid\nsaveFolder=/home/me/Pictures\nsaveFormat=jpg\ntool=ellipse\nwidth=5\n' \
        >"$settings_seeds/seed.conf"
fi
for fuzzer in fuzz_instance_request fuzz_clipboard_targets fuzz_png_reader fuzz_settings; do
    mkdir -p "build/fuzz/corpus/$fuzzer"
    echo "== $fuzzer, $seconds s"
    "build/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "build/fuzz/corpus/$fuzzer"
done
