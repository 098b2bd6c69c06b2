#!/usr/bin/env bash
# The whole program as a user drives it: tray clicks, the clipboard, drags,
# Return, the close button.
source "$(dirname "$0")/harness.sh"

# Every pixel tells where it is: red = x mod 256, green = y mod 256,
# blue = 16 * (x div 256) + (y div 256).
coordinates_png() {
    convert -size "$1" xc: -channel R -fx '(i%256)/255' -channel G -fx '(j%256)/255' \
        -channel B -fx '(floor(i/256)*16+floor(j/256))/255' +channel -depth 8 "PNG24:$2"
}

# How many pixels of FILE are exactly COLOUR.
count_pixels() {
    convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}

# The pixels a selection X Y W H (y up) of an image HEIGHT rows tall touches,
# as "left top columns rows" counted from the top.
pixels_touched() {
    awk -v x="$1" -v y="$2" -v w="$3" -v h="$4" -v H="$5" 'function ceil(v) { return v == int(v) ? v : int(v) + 1 }
    BEGIN { l = int(x); t = int(H - y - h); print l, t, ceil(x + w) - l, ceil(H - y) - t }'
}

# Sets X, Y, WIDTH and HEIGHT: where the editor window's content is on screen.
editor_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
}

wait_editor_window() {
    local window
    e2e_until 20 bash -c "xdotool search --onlyvisible --name '^Pintora - Image Editor$' >/dev/null 2>&1" ||
        e2e_fail "no editor window"
    window=$(e2e_editor_window)
    echo "$window"
}

wait_no_editor_window() {
    e2e_until 20 bash -c "! xdotool search --onlyvisible --name '^Pintora - Image Editor$' >/dev/null 2>&1" ||
        e2e_fail "the editor window is still there"
}

# A drag with BUTTON from (x1, y1) to (x2, y2), screen coordinates.
drag() {
    local button=$1 x1=$2 y1=$3 x2=$4 y2=$5
    xdotool mousemove "$x1" "$y1" mousedown "$button" mousemove $(((x1 + x2) / 2)) $(((y1 + y2) / 2)) \
        mousemove "$x2" "$y2" mouseup "$button"
}

e2e_start_desktop 2560x1440 LANG=en_US.UTF-8

echo "== 1. empty clipboard"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ No image on clipboard"
empty_window=$(wait_editor_window)
editor_geometry "$empty_window"
[[ ${WIDTH}x$HEIGHT == 2048x1152 ]] || e2e_fail "the editor window is ${WIDTH}x$HEIGHT, not 80 % of 2560 x 1440"
e2e_screenshot empty-editor
# The white message in the middle of the black canvas.
centre=$(convert "$E2E_DIR/empty-editor.png" -crop "400x100+$((X + 824))+$((Y + 526))" -format '%[fx:maxima]' info:)
corner=$(convert "$E2E_DIR/empty-editor.png" -crop "100x100+$((X + 100))+$((Y + 900))" -format '%[fx:maxima]' info:)
awk -v c="$centre" -v k="$corner" 'BEGIN { exit !(c > 0.9 && k < 0.05) }' ||
    e2e_fail "no message in the middle of the empty editor (brightest $centre, corner $corner)"

echo "== 2. a PNG, then the same PNG again"
coordinates_png 800x200 "$E2E_DIR/original.png"
e2e_clip_put "$E2E_DIR/original.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
e2e_until 20 bash -c "[[ \$(xdotool search --onlyvisible --name '^Pintora - Image Editor$' | head -n1) != $empty_window ]]" ||
    e2e_fail "the empty editor was not replaced"
image_window=$(wait_editor_window)
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ Same image, just showing window"
[[ $(wait_editor_window) == "$image_window" ]] || e2e_fail "the same image opened another window"

echo "== 3. select, Return, and the clipboard holds exactly the selection"
editor_geometry "$image_window"
# 800 pixels across 2048 points: 2.56 points a pixel, so 256 x 128 points are 100 x 50 pixels.
e2e_mark
drag 1 $((X + 400)) $((Y + 560)) $((X + 656)) $((Y + 688))
selection=$(e2e_wait_match '^✅ Selection \(pixels\): \(')
[[ $selection =~ ^✅\ Selection\ \(pixels\):\ \(([0-9.]+),\ ([0-9.]+),\ 100\.0,\ 50\.0\)$ ]] ||
    e2e_fail "the drag did not select 100 x 50 pixels: $selection"
read -r left top columns rows < <(pixels_touched "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" 100 50 200)
xdotool key Return
e2e_wait_line "✅ Cropped to: ${columns}×${rows} px"
wait_no_editor_window
e2e_clip_get image/png "$E2E_DIR/cropped.png"
convert "$E2E_DIR/original.png" -crop "${columns}x${rows}+${left}+${top}" +repage "$E2E_DIR/expected-crop.png"
e2e_same_pixels "$E2E_DIR/cropped.png" "$E2E_DIR/expected-crop.png" ||
    e2e_fail "the clipboard does not hold rows $top.. and columns $left.. of the original"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ Same image, just showing window"
crop_window=$(wait_editor_window)
[[ $crop_window != "$image_window" ]] || e2e_fail "Crop & Copy did not release its window"

echo "== 4. rectangles by right drag and Control-left drag"
editor_geometry "$crop_window"
e2e_mark
drag 3 $((X + 300)) $((Y + 400)) $((X + 700)) $((Y + 600))
e2e_wait_line "✅ Rectangle drawn on image!"
e2e_expect_lines "💾 State saved for undo (stack size: 1)" "💾 State saved for undo (stack size: 2)" \
    "$(e2e_lines_since_mark | sed -n 3p | grep '^🎨 Drawing ON image: rect=(')" "✅ Rectangle drawn on image!"
e2e_mark
xdotool keydown ctrl
drag 1 $((X + 800)) $((Y + 450)) $((X + 1200)) $((Y + 700))
xdotool keyup ctrl
e2e_wait_line "✅ Rectangle drawn on image!"
e2e_expect_lines "💾 State saved for undo (stack size: 3)" \
    "$(e2e_lines_since_mark | sed -n 2p | grep '^🎨 Drawing ON image: rect=(')" "✅ Rectangle drawn on image!"
e2e_screenshot rectangles
e2e_mark
drag 1 $((X + 250)) $((Y + 350)) $((X + 1300)) $((Y + 750))
e2e_wait_match '^✅ Selection \(pixels\): ' >/dev/null
xdotool key Return
e2e_wait_match '^✅ Cropped to: ' >/dev/null
wait_no_editor_window
e2e_clip_get image/png "$E2E_DIR/with-rectangles.png"
red=$(count_pixels "$E2E_DIR/with-rectangles.png" 'rgb(255,0,0)')
((red > 20)) || e2e_fail "the cut-out carries no red outline ($red red pixels)"

echo "== 5. the close button keeps the window and its edits"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ Same image, just showing window"
kept_window=$(wait_editor_window)
editor_geometry "$kept_window"
drag 3 $((X + 300)) $((Y + 300)) $((X + 900)) $((Y + 800))
e2e_wait_line "✅ Rectangle drawn on image!"
e2e_close_window "$kept_window"
wait_no_editor_window
e2e_app_running || e2e_fail "closing the editor ended the app"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ Same image, just showing window"
# Qt may give the reshown window a new X window; what counts is what it shows.
kept_window=$(wait_editor_window)
sleep 0.5
e2e_screenshot reopened
editor_geometry "$kept_window"
red=$(convert "$E2E_DIR/reopened.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage png:- | count_pixels png:- 'rgb(255,0,0)')
((red > 1000)) || e2e_fail "the reopened window lost its rectangle ($red red pixels)"

echo "== 6. TIFF only, then bytes that are no image"
convert "$E2E_DIR/original.png" "TIFF:$E2E_DIR/original.tif"
e2e_clip_put "$E2E_DIR/original.tif" image/tiff
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
e2e_until 20 bash -c "[[ \$(xdotool search --onlyvisible --name '^Pintora - Image Editor$' | head -n1) != $kept_window ]]" ||
    e2e_fail "the TIFF did not open a new editor"
tiff_window=$(wait_editor_window)

printf 'these bytes are not a PNG' >"$E2E_DIR/broken.png"
e2e_clip_put "$E2E_DIR/broken.png" image/png
e2e_mark
windows() { xdotool search --onlyvisible --class pintora 2>/dev/null | wc -l; }
before=$(windows)
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
# The console says no more; a message by the tray icon tells the user.
e2e_until 10 bash -c "(( \$(xdotool search --onlyvisible --class pintora 2>/dev/null | wc -l) > $before ))" ||
    e2e_fail "no message shows that the clipboard image cannot be read"
e2e_screenshot unreadable-image
sleep 1
[[ $(e2e_lines_since_mark | wc -l) -eq 1 ]] || e2e_fail "undecodable bytes must write one line only"
e2e_app_running || e2e_fail "undecodable bytes ended the app"
[[ $(e2e_editor_window) == "$tiff_window" ]] || e2e_fail "undecodable bytes changed the window"
[[ $(xdotool search --onlyvisible --name '^Pintora - Image Editor$' | wc -l) -eq 1 ]] || e2e_fail "more than one editor window"

echo "== 7. Crop & Copy of a large image: the window goes at once, the PNG comes exact"
convert -size 5120x2000 gradient:'#204060-#e0c080' -fill '#101010' -pointsize 90 \
    -annotate +100+300 'Crop & Copy never waits for the encoder 0123456789' \
    -annotate +300+1200 'The quick brown fox jumps over the lazy dog' "PNG24:$E2E_DIR/large.png"
e2e_clip_put "$E2E_DIR/large.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
large_window=$(wait_editor_window)
sleep 0.5
editor_geometry "$large_window"
# The image spans the canvas's width with bands above and below: from the
# top band to beyond the bottom right.
e2e_mark
drag 1 $((X + 1)) $((Y + 120)) $((X + WIDTH + 50)) $((Y + HEIGHT + 50))
selection=$(e2e_wait_match '^✅ Selection \(pixels\): \(')
[[ $selection =~ \(([0-9.]+),\ ([0-9.]+),\ ([0-9.]+),\ ([0-9.]+)\)$ ]] || e2e_fail "no selection: $selection"
read -r left top columns rows < <(pixels_touched "${BASH_REMATCH[@]:1:4}" 2000)
((columns > 5000 && rows == 2000)) || e2e_fail "the selection is not nearly all of the image: $selection"
xdotool key Return
# Once the clipboard is the editor's (it offers Qt's image type beside the
# PNG), the window must be gone: the PNG may still be encoding.
e2e_until 20 bash -c "xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx application/x-qt-image" ||
    e2e_fail "the crop did not reach the clipboard"
[[ -z $(e2e_editor_window) ]] || e2e_fail "the window waited for the clipboard"
# KDE's clipboard manager keeps images only with this type beside them.
xclip -selection clipboard -t TARGETS -o | grep -qx x-kde-force-image-copy ||
    e2e_fail "the crop does not carry the type that makes KDE keep it"
e2e_clip_get image/png "$E2E_DIR/large-copied.png"
convert "$E2E_DIR/large.png" -crop "${columns}x${rows}+${left}+${top}" +repage "$E2E_DIR/large-expected.png"
e2e_same_pixels "$E2E_DIR/large-copied.png" "$E2E_DIR/large-expected.png" ||
    e2e_fail "the PNG on the clipboard is not exactly the selection"

echo "PASS"
