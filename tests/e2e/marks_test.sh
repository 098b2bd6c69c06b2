#!/usr/bin/env bash
# Marks stay editable on the real binary: an arrow picked by a click on its
# shaft and dragged elsewhere, a box picked and deleted; the image Copy puts
# on the clipboard has the arrow only where it went and nothing of the box.
source "$(dirname "$0")/harness.sh"

width=900
height=600
convert -size "${width}x$height" xc:white "PNG24:$E2E_DIR/white.png"

e2e_start_desktop 1366x768 LANG=en_US.UTF-8
e2e_open_editor_on "$E2E_DIR/white.png"
e2e_learn_image_mapping "$height"

# A right drag from (U1, V1) to (U2, V2) in image pixels, V from the top.
right_drag() {
    local x1 y1 x2 y2
    read -r x1 y1 < <(e2e_screen_point "$1" "$2")
    read -r x2 y2 < <(e2e_screen_point "$3" "$4")
    xdotool mousemove "$x1" "$y1" mousedown 3 mousemove "$(((x1 + x2) / 2))" "$(((y1 + y2) / 2))" \
        mousemove "$x2" "$y2" mouseup 3
}
left_click() {
    local x y
    read -r x y < <(e2e_screen_point "$1" "$2")
    xdotool mousemove "$x" "$y" click 1
}

echo "== an arrow, picked by its shaft and dragged"
xdotool key a
e2e_mark
right_drag 100 100 300 150
e2e_wait_line "✅ Arrow drawn on image!"
e2e_mark
left_click 200 125
e2e_wait_line "🎯 Picked mark 1 of 1 (arrow)"
read -r x1 y1 < <(e2e_screen_point 200 125)
read -r x2 y2 < <(e2e_screen_point 500 425)
e2e_mark
xdotool mousemove "$x1" "$y1" mousedown 1 mousemove "$(((x1 + x2) / 2))" "$(((y1 + y2) / 2))" \
    mousemove "$x2" "$y2" mouseup 1
e2e_wait_match '^✋ Moved mark 1 \(arrow\) by \(' >/dev/null
e2e_screenshot moved

echo "== a box, picked and deleted"
xdotool key b
e2e_mark
right_drag 600 100 800 250
e2e_wait_line "✅ Rectangle drawn on image!"
e2e_mark
left_click 600 175
e2e_wait_line "🎯 Picked mark 2 of 2 (box)"
e2e_mark
xdotool key Delete
e2e_wait_line "🗑️ Deleted mark 2 (box)"

echo "== Copy"
e2e_mark
xdotool key ctrl+c
e2e_wait_line "✅ Full image copied to clipboard (${width}×${height}px)"
e2e_clip_get image/png "$E2E_DIR/copied.png"

red_in() {
    convert "$E2E_DIR/copied.png" -crop "$1" +repage -fuzz 40% -fill white +opaque red -fill black -opaque red \
        -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
not_white_in() {
    convert "$E2E_DIR/copied.png" -crop "$1" +repage -fuzz 1% -fill black +opaque white -negate \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}
count=$(red_in 260x110+370+370)
((count > 100)) || e2e_fail "no arrow where it was dragged: $count red pixels"
count=$(not_white_in 260x110+70+70)
((count == 0)) || e2e_fail "$count pixels left where the arrow was drawn"
count=$(not_white_in 240x190+580+80)
((count == 0)) || e2e_fail "$count pixels left of the deleted box"
echo "PASS"
