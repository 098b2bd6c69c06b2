#!/usr/bin/env bash
source "$(dirname "$0")/harness.sh"
convert -size 5120x2880 xc:white -fill black -pointsize 14 -draw "text 2400,1400 'The quick brown fox jumps over the lazy dog 0123456789'" \
    -fill red -draw "rectangle 2500,1450 2520,1470" "PNG24:$E2E_DIR/big.png"
convert -size 400x300 xc:none -fill '#00000080' -draw "circle 200,150 200,60" -fill black -pointsize 30 -draw "text 120,160 'alpha'" "PNG32:$E2E_DIR/clear.png"
e2e_start_desktop "$LOOK_SIZE" LANG="$LOOK_LANG" QT_SCALE_FACTOR="$LOOK_SCALE"
e2e_open_editor_on "$E2E_DIR/big.png"
e2e_screenshot fitted
eval "$(xdotool getwindowgeometry --shell "$(e2e_editor_window)")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
xdotool key ctrl+1
sleep 0.5
e2e_screenshot actual
xdotool key ctrl+equal ctrl+equal ctrl+equal ctrl+equal ctrl+equal ctrl+equal
sleep 0.5
e2e_screenshot zoomed
xdotool key ctrl+0
sleep 0.3
xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 2)) mousedown 1 mousemove $((X + WIDTH / 2)) $((Y + 2 * HEIGHT / 3)) mousemove $((X + 2 * WIDTH / 3)) $((Y + 3 * HEIGHT / 4)) mouseup 1
sleep 0.5
xdotool mousemove $((X + 2 * WIDTH / 3)) $((Y + 5 * HEIGHT / 8))
sleep 0.3
e2e_screenshot handles
e2e_open_editor_on "$E2E_DIR/clear.png"
e2e_screenshot transparent
cp "$E2E_OUT" "$E2E_DIR/console.txt"
