#!/usr/bin/env bash
# What the user chose is kept: the ellipse chosen before quitting is what a
# right drag draws after a new start; Save Image As… to a name ending .jpg
# writes a JPEG, and the next start's dialog offers that folder and format.
source "$(dirname "$0")/harness.sh"

convert -size 600x400 xc:white "PNG24:$E2E_DIR/white.png"

e2e_start_desktop 1366x768 LANG=en_US.UTF-8
e2e_open_editor_on "$E2E_DIR/white.png"
xdotool key e
e2e_until 10 grep -qx 'tool=ellipse' "$XDG_CONFIG_HOME/pintora/pintora.conf" || true
grep -qx 'tool=ellipse' "$XDG_CONFIG_HOME/pintora/pintora.conf" ||
    e2e_fail "the ellipse is not remembered: $(cat "$XDG_CONFIG_HOME/pintora/pintora.conf")"

echo "== quit, start again: a right drag draws an ellipse"
kill -TERM "$E2E_APP_PID"
e2e_until 20 bash -c "! kill -0 $E2E_APP_PID 2>/dev/null" || e2e_fail "the app did not quit"
e2e_start_app LANGUAGE= LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8
e2e_wait_line "✅ Button action configured"
e2e_until 10 e2e_tray_icon_window >/dev/null || e2e_fail "no tray icon after the new start"
convert -size 600x400 xc:'#fefefe' "PNG24:$E2E_DIR/white2.png"
e2e_open_editor_on "$E2E_DIR/white2.png"
e2e_learn_image_mapping 400
e2e_mark
e2e_drag_pixels 3 100 100 300 250
e2e_wait_line "✅ Ellipse drawn on image!"

echo "== Save Image As… to a .jpg name writes a JPEG"
e2e_mark
xdotool key ctrl+shift+s
e2e_until 20 bash -c 'xdotool search --onlyvisible --name "^Save Image$" >/dev/null 2>&1' || e2e_fail "no save dialog"
sleep 1
xdotool key ctrl+a
xdotool type --delay 20 "$E2E_DIR/saved.jpg"
xdotool key Return
e2e_wait_line "✅ Image saved to: $E2E_DIR/saved.jpg"
[[ $(identify -format '%m %wx%h' "$E2E_DIR/saved.jpg") == "JPEG 600x400" ]] ||
    e2e_fail "not a 600 x 400 JPEG: $(identify "$E2E_DIR/saved.jpg" 2>&1)"
grep -qx 'saveFormat=jpg' "$XDG_CONFIG_HOME/pintora/pintora.conf" || e2e_fail "the format is not remembered"
echo "PASS"
