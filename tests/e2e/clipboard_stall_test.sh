#!/usr/bin/env bash
# A clipboard owner that never answers: the tray click's read gives up with
# a line and a tray message, and meanwhile the editor answers the keyboard.
# usage: clipboard_stall_test.sh PINTORA STALLED_OWNER
STALLED_OWNER=${2:?usage: $0 PINTORA STALLED_OWNER}
source "$(dirname "$0")/harness.sh"

e2e_start_desktop 1366x768 LANG=en_US.UTF-8
convert -size 300x200 xc:orange "$E2E_DIR/orange.png"
e2e_clip_put "$E2E_DIR/orange.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
e2e_until 20 bash -c "[[ -n \$(xdotool search --onlyvisible --name '^Pintora - Image Editor$') ]]" || e2e_fail "no editor"
sleep 1
editor=$(e2e_editor_window)

echo "== a hung owner takes the clipboard; two clicks, then Escape"
"$STALLED_OWNER" >"$E2E_DIR/owner.out" &
E2E_PIDS+=($!)
e2e_until 10 grep -qx owning "$E2E_DIR/owner.out" || e2e_fail "the hung owner did not take the clipboard"
e2e_mark
e2e_click_tray_icon
e2e_click_tray_icon
xdotool windowactivate --sync "$editor" key Escape
e2e_until 20 bash -c "! xdotool search --onlyvisible --name '^Pintora - Image Editor$' >/dev/null 2>&1" ||
    e2e_fail "Escape did not hide the editor while the clipboard was being read"
# The window went before the read gave up: the GUI thread was free.
! e2e_has_line "❌ The clipboard's owner did not answer" ||
    e2e_fail "the read gave up before the editor answered Escape"
e2e_wait_line "❌ The clipboard's owner did not answer"
sleep 2
# Both clicks were answered by the one read.
e2e_expect_lines "❌ The clipboard's owner did not answer"

echo "== the owner gone, the next click reads the clipboard again"
kill "${E2E_PIDS[-1]}"
e2e_clip_put "$E2E_DIR/orange.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ Same image, just showing window"
e2e_until 20 bash -c "[[ -n \$(xdotool search --onlyvisible --name '^Pintora - Image Editor$') ]]" ||
    e2e_fail "the editor did not come back"

echo "== a large image comes in pieces (INCR) and arrives whole"
convert -size 1800x1200 xc: +noise Random -depth 8 "PNG24:$E2E_DIR/noise.png" # about 6 MB, incompressible
(($(stat -c %s "$E2E_DIR/noise.png") > 4000000)) || e2e_fail "the noise image is too small to need INCR"
e2e_clip_put "$E2E_DIR/noise.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"
e2e_until 20 bash -c "[[ -n \$(xdotool search --onlyvisible --name '^Pintora - Image Editor$') ]]" ||
    e2e_fail "the large image did not open"
e2e_mark
e2e_until 10 bash -c 'xdotool windowactivate --sync "$(xdotool search --onlyvisible --name "^Pintora - Image Editor$" | head -n1)" 2>/dev/null' ||
    e2e_fail "the editor could not be activated"
xdotool key ctrl+c
e2e_wait_line "✅ Full image copied to clipboard (1800×1200px)"
e2e_until 20 bash -c "xclip -selection clipboard -t image/png -o > '$E2E_DIR/copied.png' 2>/dev/null && [[ -s '$E2E_DIR/copied.png' ]]" ||
    e2e_fail "nothing to read back"
e2e_same_pixels "$E2E_DIR/noise.png" "$E2E_DIR/copied.png" || e2e_fail "the large image did not arrive whole"
e2e_screenshot stall-after
echo PASS
