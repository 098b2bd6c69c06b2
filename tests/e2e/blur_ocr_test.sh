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
e2e_open_editor_on "$E2E_DIR/secrets.png"

echo "== where the image's pixels are on the screen"
e2e_learn_image_mapping "$height"

echo "== choose Blur"
# Its key, U, while the canvas has the focus, which the drag above gave it.
xdotool key u

echo "== one right drag around each secret"
# From the top right corner, inside the image, to the bottom left, which for
# the last secret lies beyond the image and the window: the drag keeps going.
margin=4
for i in "${!secrets[@]}"; do
    read -r w h left top <<<"${boxes[i]}"
    read -r x1 y1 < <(e2e_screen_point $((left + w + margin)) $((top - margin)))
    read -r x2 y2 < <(e2e_screen_point $((left - margin)) $((top + h + margin)))
    e2e_mark
    xdotool mousemove "$x1" "$y1" mousedown 3 mousemove "$(((x1 + x2) / 2))" "$(((y1 + y2) / 2))" \
        mousemove "$x2" "$y2" mouseup 3
    e2e_wait_line "✅ Rectangle drawn on image!"
done
e2e_screenshot blurred

echo "== Crop & Copy of the whole image"
e2e_crop_and_copy_all "$width" "$height" "$E2E_DIR/copied.png"
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
