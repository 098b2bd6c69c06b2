#!/usr/bin/env bash
# A blur hides secrets from a reader with an OCR engine: secrets at five
# sizes and one at the image's edge, each blurred by one right drag in the
# real editor, then the whole image copied with Crop & Copy.
source "$(dirname "$0")/harness.sh"
command -v tesseract >/dev/null || e2e_fail "tesseract is missing"

width=1600
height=700
secrets=(K4QXPLM2RTA8 W4NZ8HBVC3JE R2FTY6GMXK5Q H8EJW3SNP5UV B5MCQ8TZR4XF G3VPKEWHN2YC)
sizes=(12 20 28 40 56 28)
# Where each secret starts: x, then its baseline; the last touches the left
# and bottom edges.
places=("60 60" "60 140" "60 240" "60 360" "60 500" "0 698")
font=DejaVu-Sans

draw=(convert -size "${width}x$height" "xc:#f4f4f4" -font "$font" -fill "#202020")
for i in "${!secrets[@]}"; do
    read -r x y <<<"${places[i]}"
    draw+=(-pointsize "${sizes[i]}" -annotate "+$x+$y" "${secrets[i]}")
done
"${draw[@]}" "PNG24:$E2E_DIR/secrets.png"

# The box each secret's ink covers, as "width height left top".
boxes=()
for i in "${!secrets[@]}"; do
    read -r x y <<<"${places[i]}"
    box=$(convert -size "${width}x$height" xc:white -font "$font" -fill black -pointsize "${sizes[i]}" \
        -annotate "+$x+$y" "${secrets[i]}" -format '%@' info:)
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || e2e_fail "no box for secret $i: $box"
    boxes+=("${BASH_REMATCH[1]} ${BASH_REMATCH[2]} ${BASH_REMATCH[3]} ${BASH_REMATCH[4]}")
done

# Ways a motivated reader looks at a region, enlarged: as it is and
# sharpened hard (unsharp masks of 3 to 10 px), the strongest also
# thresholded. Against weak blurs of these secrets, thresholds of 35 and
# 50 % and the weaker masks' thresholds never read what these miss.
variants=("" "-unsharp 0x3+3+0" "-unsharp 0x6+5+0" "-unsharp 0x10+8+0"
    "-unsharp 0x6+5+0 -threshold 65%" "-unsharp 0x10+8+0 -threshold 65%")

# The variants of secret I's region of IMAGE, as $E2E_DIR/variant-I-K.png.
make_variants() {
    local image=$1 i=$2 w h left top region k
    read -r w h left top <<<"${boxes[i]}"
    region=$E2E_DIR/region-$i.png
    convert "$image" -crop "$((w + 40))x$((h + 40))+$((left > 20 ? left - 20 : 0))+$((top > 20 ? top - 20 : 0))" \
        +repage -colorspace Gray -resize 300% "$region"
    for k in "${!variants[@]}"; do
        convert "$region" ${variants[k]} "$E2E_DIR/variant-$i-$k.png"
    done
}

# What the OCR reads in FILE: upper case, no spaces.
ocr() {
    OMP_THREAD_LIMIT=1 tesseract "$1" stdout --psm 7 2>/dev/null | tr -d '[:space:]' | tr '[:lower:]' '[:upper:]' || true
}
export -f ocr

# Everything the OCR reads in every variant of secret I, a line each; every
# core reads at once.
read_all() {
    local i=$1
    printf '%s\n' "$E2E_DIR"/variant-"$i"-*.png | xargs -P "$(nproc)" -I{} bash -c 'echo "$(ocr {})"'
}

echo "== the control: the OCR reads every secret of the original"
for i in "${!secrets[@]}"; do
    make_variants "$E2E_DIR/secrets.png" "$i"
    # As it is, or else sharpened: the first reading that has it will do.
    text=$(ocr "$E2E_DIR/variant-$i-0.png")
    [[ $text == *"${secrets[i]}"* ]] || text+=" $(read_all "$i" | tr '\n' ' ')"
    [[ $text == *"${secrets[i]}"* ]] || e2e_fail "the OCR cannot read secret $i (${sizes[i]} px) even unblurred: $text"
done

e2e_start_desktop 2560x1440 LANG=en_US.UTF-8
e2e_clip_put "$E2E_DIR/secrets.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
e2e_until 20 e2e_editor_window >/dev/null || e2e_fail "no editor window"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$(e2e_editor_window)")"

echo "== where the image's pixels are on the screen"
# A left drag between two screen points inside the image reports the
# selection it made, in pixels with y up.
ax=$((X + WIDTH / 4)) ay=$((Y + HEIGHT / 3)) bx=$((X + 3 * WIDTH / 4)) by=$((Y + 2 * HEIGHT / 3))
e2e_mark
xdotool mousemove "$ax" "$ay" mousedown 1 mousemove "$(((ax + bx) / 2))" "$(((ay + by) / 2))" \
    mousemove "$bx" "$by" mouseup 1
selection=$(e2e_wait_match '^✅ Selection \(pixels\): ')
[[ $selection =~ \(([0-9.]+),\ ([0-9.]+),\ ([0-9.]+),\ ([0-9.]+)\)$ ]] || e2e_fail "no selection: $selection"
selected=("${BASH_REMATCH[@]:1}")
# Screen x and y of image pixel (u, v), v counted from the top.
screen_point() {
    awk -v u="$1" -v v="$2" -v x="${selected[0]}" -v y="${selected[1]}" -v w="${selected[2]}" \
        -v h="${selected[3]}" -v ax="$ax" -v ay="$ay" -v bx="$bx" -v H="$height" 'BEGIN {
        k = w / (bx - ax)   # pixels per screen point
        printf "%d %d\n", ax + (u - x) / k + 0.5, ay + (v - (H - y - h)) / k + 0.5 }'
}

echo "== choose Blur"
# Its key, U, while the canvas has the focus, which the drag above gave it.
xdotool key u

echo "== one right drag around each secret"
# From the top right corner, inside the image, to the bottom left, which for
# the last secret lies beyond the image and the window: the drag keeps going.
margin=4
for i in "${!secrets[@]}"; do
    read -r w h left top <<<"${boxes[i]}"
    read -r x1 y1 < <(screen_point $((left + w + margin)) $((top - margin)))
    read -r x2 y2 < <(screen_point $((left - margin)) $((top + h + margin)))
    e2e_mark
    xdotool mousemove "$x1" "$y1" mousedown 3 mousemove "$(((x1 + x2) / 2))" "$(((y1 + y2) / 2))" \
        mousemove "$x2" "$y2" mouseup 3
    e2e_wait_line "✅ Rectangle drawn on image!"
done
e2e_screenshot blurred

echo "== Crop & Copy of the whole image"
# The image spans the canvas's width, with bands above and below it: from
# the top band at the canvas's left edge to beyond the bottom right; the cut
# takes every pixel the selection touches.
read -r _ y1 < <(screen_point 0 -30)
read -r _ y2 < <(screen_point 0 $((height + 30)))
e2e_mark
xdotool mousemove "$X" "$y1" mousedown 1 mousemove "$((X + WIDTH / 2))" "$y2" mousemove "$((X + WIDTH + 50))" "$y2" \
    mouseup 1
e2e_wait_match '^✅ Selection \(pixels\): ' >/dev/null
xdotool key Return
e2e_wait_line "✅ Cropped to: 1600×700 px"
e2e_until 20 bash -c '! xdotool search --onlyvisible --name "^Pintora - Image Editor$" >/dev/null 2>&1' ||
    e2e_fail "the editor did not close"
e2e_clip_get image/png "$E2E_DIR/copied.png"
[[ $(convert "$E2E_DIR/copied.png" -fill black +opaque 'rgb(255,0,0)' -format '%[fx:mean]' info:) == 0 ]] ||
    e2e_fail "red outlines instead of blurs"

echo "== the OCR reads no four characters of any secret in a row"
for i in "${!secrets[@]}"; do
    make_variants "$E2E_DIR/copied.png" "$i"
    text=$(read_all "$i" | tr '\n' ' ')
    secret=${secrets[i]}
    for ((at = 0; at + 4 <= ${#secret}; at++)); do
        [[ $text != *"${secret:at:4}"* ]] ||
            e2e_fail "secret $i (${sizes[i]} px) shows through the blur: ${secret:at:4} in $text"
    done
done
echo "PASS"
