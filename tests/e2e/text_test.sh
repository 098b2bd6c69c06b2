#!/usr/bin/env bash
# Copy Text on the real binary: an image with three lines of text, a
# selection over the first two, Ctrl+Shift+C; the clipboard then holds those
# two lines' words as plain text and nothing of the third.
source "$(dirname "$0")/harness.sh"

convert -size 900x400 xc:white -font DejaVu-Sans -pointsize 20 -fill black \
    -draw "text 40,60 'alpha bravo charlie'" -draw "text 40,90 'delta echo foxtrot'" \
    -draw "text 40,120 'golf hotel india'" "PNG24:$E2E_DIR/lines.png"

e2e_start_desktop 1366x768 LANG=en_US.UTF-8
e2e_open_editor_on "$E2E_DIR/lines.png"
e2e_learn_image_mapping 400
e2e_mark
e2e_drag_pixels 1 10 10 600 97
e2e_wait_match '^✅ Selection \(pixels\): ' >/dev/null
e2e_mark
xdotool key ctrl+shift+c
e2e_wait_match '^✅ Text copied to clipboard: [0-9]+ characters$' >/dev/null
text=$(xclip -selection clipboard -o)
[[ $text == $'alpha bravo charlie\ndelta echo foxtrot' ]] || e2e_fail "the clipboard holds: $text"
echo "PASS"
