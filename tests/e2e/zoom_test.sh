#!/usr/bin/env bash
# To the pixel on the real binary: a 5120 x 2880 screenshot at 100 %, a cut
# of exactly 1000 x 500 pixels at a chosen place made with a handle and the
# arrow keys, and the clipboard's PNG is those pixels; and on a 1366 x 768
# screen the picture does not move when a drag's read-out appears.
source "$(dirname "$0")/harness.sh"

width=5120
height=2880
# Blocks of 8 x 8 random pixels: any pixel off shows. A pure red band on top
# marks the picture's edge even where the selection's shade dims it.
convert -size 640x360 xc: +noise Random -scale 800% -fill red -draw "rectangle 0,0 5119,15" "PNG24:$E2E_DIR/big.png"

e2e_start_desktop 1366x768 LANG=de_DE.UTF-8

echo "== the picture stays where it is when the read-out appears"
e2e_open_editor_on "$E2E_DIR/big.png"
eval "$(xdotool getwindowgeometry --shell "$(e2e_editor_window)")"
# The first row, in a column through the window, with colour in it: the
# picture's top edge (the window's frame and toolbar are grey).
picture_top() {
    import -window root "$E2E_DIR/$1.png"
    convert "$E2E_DIR/$1.png" -crop "1x$HEIGHT+$((X + WIDTH / 2))+$Y" +repage -depth 8 txt:"$E2E_DIR/$1.txt"
    awk 'NR > 1 {
        colour = $2; gsub(/[()]/, "", colour); split(colour, c, ",")
        hi = c[1] > c[2] ? (c[1] > c[3] ? c[1] : c[3]) : (c[2] > c[3] ? c[2] : c[3])
        lo = c[1] < c[2] ? (c[1] < c[3] ? c[1] : c[3]) : (c[2] < c[3] ? c[2] : c[3])
        if (hi - lo > 40) { split($1, at, "[,:]"); print at[2]; exit } }' "$E2E_DIR/$1.txt"
}
# Once the picture has been painted and the window has settled.
previous=
for _ in {1..40}; do
    before=$(picture_top before)
    [[ -n $before && $before == "$previous" ]] && break
    previous=$before
    sleep 0.25
done
xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT * 2 / 3)) mousedown 1 mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * 3 / 4))
sleep 0.5
during=$(picture_top during)
xdotool mouseup 1
[[ -n $before && $before == "$during" ]] || e2e_fail "the picture moved from row $before to $during when the drag began"

echo "== 100 %, a handle and the arrow keys: exactly 1000 x 500 at (2100, 1200)"
xdotool key ctrl+1
e2e_learn_image_mapping "$height"
selection() {
    local line
    line=$(e2e_lines_since_mark | grep -E '^✅ Selection \(pixels\): ' | tail -n1)
    [[ $line =~ \(([0-9]+)(\.0)?,\ ([0-9]+)(\.0)?,\ ([0-9]+)(\.0)?,\ ([0-9]+)(\.0)?\)$ ]] || e2e_fail "no whole selection: $line"
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[3]} ${BASH_REMATCH[5]} ${BASH_REMATCH[7]}"
}
read -r x y w h < <(selection)
# The right side's handle, dragged 60 points further right.
read -r hx hy < <(e2e_screen_point $((x + w)) $((height - y - h / 2)))
e2e_mark
xdotool mousemove "$hx" "$hy" mousedown 1 mousemove $((hx + 30)) "$hy" mousemove $((hx + 60)) "$hy" mouseup 1
e2e_wait_match '^✅ Selection \(pixels\): ' >/dev/null
read -r x2 y2 w2 h2 < <(selection)
((x2 == x && y2 == y && h2 == h && w2 == w + 60)) || e2e_fail "the handle made $x2 $y2 $w2 $h2 of $x $y $w $h"
# Keys: Alt+arrows move the right and bottom edges, arrows the whole.
press() { # KEY TIMES
    (($2 > 0)) || return 0
    e2e_mark
    xdotool key --delay 4 --repeat "$2" "$1"
    e2e_until 20 bash -c "(( \$(tail -n +$((E2E_MARK + 1)) '$E2E_OUT' | grep -c '^✅ Selection') >= $2 ))" ||
        e2e_fail "not every $1 was taken"
}
target_x=2100 target_y=$((height - 1200 - 500)) # pixel space, y up
if ((w2 < 1000)); then press alt+Right $((1000 - w2)); else press alt+Left $((w2 - 1000)); fi
if ((h2 < 500)); then press alt+Down $((500 - h2)); else press alt+Up $((h2 - 500)); fi
# The bottom edge went down by the added height: the selection's y with it.
e2e_mark
xdotool key Left Right
e2e_until 20 bash -c "(( \$(tail -n +$((E2E_MARK + 1)) '$E2E_OUT' | grep -c '^✅ Selection') >= 2 ))"
read -r x3 y3 w3 h3 < <(selection)
((w3 == 1000 && h3 == 500)) || e2e_fail "not 1000 x 500 but $w3 x $h3"
if ((x3 < target_x)); then press Right $((target_x - x3)); else press Left $((x3 - target_x)); fi
if ((y3 < target_y)); then press Up $((target_y - y3)); else press Down $((y3 - target_y)); fi
read -r x4 y4 w4 h4 < <(selection)
[[ "$x4 $y4 $w4 $h4" == "$target_x $target_y 1000 500" ]] || e2e_fail "selected $x4 $y4 $w4 $h4"
e2e_screenshot selected

e2e_mark
xdotool key Return
e2e_wait_line "✅ Cropped to: 1000×500 px"
e2e_until 20 bash -c '! xdotool search --onlyvisible --name "^Pintora - Image Editor$" >/dev/null 2>&1' ||
    e2e_fail "the editor did not close"
e2e_clip_get image/png "$E2E_DIR/cut.png"
convert "$E2E_DIR/big.png" -crop 1000x500+2100+1200 +repage "PNG24:$E2E_DIR/expected.png"
e2e_same_pixels "$E2E_DIR/cut.png" "$E2E_DIR/expected.png" || e2e_fail "the cut is not the source's pixels"
echo PASS
