#!/usr/bin/env bash
# The editor fits the screen it opens on, in long languages, at scale 2, in
# Arabic and Japanese: its frame lies inside the screen, and each look is kept
# as a screenshot.
source "$(dirname "$0")/harness.sh"

convert -size 1600x1000 xc:'#d0d8e0' -fill '#304050' -draw 'rectangle 100,100 700,400' "PNG24:$E2E_DIR/image.png"

check() {
    local name=$1 size=$2 language=$3 scale=$4
    echo "== $name: $size, $language, scale $scale"
    e2e_start_desktop "$size" LANG="$language" QT_SCALE_FACTOR="$scale"
    e2e_clip_put "$E2E_DIR/image.png"
    e2e_click_tray_icon
    e2e_until 20 bash -c '[[ -n $(xdotool search --onlyvisible --name "^Pintora - Image Editor$") ]]' ||
        e2e_fail "no editor window"
    sleep 1.5 # the window manager frames it, then the window settles
    local window left right top bottom
    window=$(e2e_editor_window)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    read -r left right top bottom <<<"$(xprop -id "$window" _NET_FRAME_EXTENTS | grep -o '[0-9]\+' | tr '\n' ' ')"
    local screenWidth=${size%x*} screenHeight=${size#*x}
    ((X - left >= 0 && Y - top >= 0 && X + WIDTH + right <= screenWidth && Y + HEIGHT + bottom <= screenHeight)) ||
        e2e_fail "$name: the frame ($((X - left)),$((Y - top)) $((WIDTH + left + right))x$((HEIGHT + top + bottom))) leaves the $size screen"
    e2e_screenshot "$name"
    e2e_cleanup
}

check russian 1366x768 ru_RU.UTF-8 1
check german 1366x768 de_DE.UTF-8 1
check russian-scale2 2560x1440 ru_RU.UTF-8 2
check scale2 3840x2160 en_US.UTF-8 2
check arabic 1920x1080 ar_EG.UTF-8 1
check japanese 1920x1080 ja_JP.UTF-8 1
echo "PASS"
