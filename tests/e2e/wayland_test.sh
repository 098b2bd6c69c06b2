# A native Wayland session: headless sway, with wl-copy and wl-paste as the
# other programs and wtype as the keyboard. An image another client put on
# the clipboard opens in the editor on a second launch; Crop & Copy's PNG is
# read back by wl-paste, pixel for pixel, also after Pintora has quit.
source "$(dirname "$0")/harness.sh"

for tool in sway swaymsg wl-copy wl-paste wtype grim setpriv; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed (the README's test command installs it)"
done

# sway refuses to run as root: as root, everything of the session runs as
# nobody, from a folder of its own.
session=$(mktemp -d /tmp/pintora-wayland.XXXXXX)
as_user=()
if ((EUID == 0)); then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown 65534:65534 "$session"
fi
chmod 700 "$session"
cleanup_session() {
    e2e_cleanup
    rm -rf "$session"
}
trap cleanup_session EXIT
app=$session/pintora
cp "$E2E_APP" "$app"
chmod 755 "$app"

# A command of the session's user in the session, without the caller's X
# server, so that only Wayland is there to use. Run in the background as
# "${session_env[@]}" COMMAND &, so that its pid is the command's own.
session_env=()
set_session_env() {
    local name kept=()
    for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS; do # for the sanitizer builds
        [[ -v $name ]] && kept+=("$name=${!name}")
    done
    session_env=(env -i PATH="$PATH" HOME="$session" XDG_RUNTIME_DIR="$session" WAYLAND_DISPLAY="${WAYLAND_DISPLAY:-}"
        XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway LANG=C.UTF-8 "${kept[@]}" "$@" "${as_user[@]}")
}
in_session() {
    "${session_env[@]}" "$@"
}

printf 'output HEADLESS-1 resolution 1366x768\n' >"$session/sway.conf"
set_session_env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
"${session_env[@]}" sway -c "$session/sway.conf" >"$E2E_DIR/sway.log" 2>&1 &
E2E_PIDS+=($!)
socket_up() {
    local found
    found=$(find "$session" -maxdepth 1 -name 'wayland-*' -type s -printf '%f\n' | head -n1)
    [[ -n $found ]] && WAYLAND_DISPLAY=$found
}
e2e_until 20 socket_up || e2e_fail "sway did not start: $(cat "$E2E_DIR/sway.log")"
set_session_env
sway_ipc() {
    in_session env SWAYSOCK="$(find "$session" -maxdepth 1 -name 'sway-ipc.*' | head -n1)" swaymsg "$@"
}
e2e_until 20 sway_ipc -t get_outputs >/dev/null 2>&1 || e2e_fail "sway does not answer"

editor_shown() {
    sway_ipc -t get_tree | grep -q '"app_id": "pintora"'
}
editor_gone() {
    ! editor_shown
}

# An image with a different colour in each corner, so that a crop off by a
# pixel or a flipped one shows.
convert -size 240x160 xc:'#3366cc' -fill '#ff0000' -draw 'point 0,0' -fill '#00ff00' -draw 'point 239,0' \
    -fill '#ffff00' -draw 'point 0,159' -fill '#ff00ff' -draw 'point 239,159' \
    -fill '#ffffff' -draw 'rectangle 20,30 60,50' "$session/picture.png"
chmod 644 "$session/picture.png"
"${session_env[@]}" wl-copy --foreground --type image/png <"$session/picture.png" &
E2E_PIDS+=($!)
clipboard_has_png() {
    in_session wl-paste --list-types 2>/dev/null | grep -qxF image/png
}
e2e_until 10 clipboard_has_png || e2e_fail "wl-copy did not take the clipboard"

# A keyboard for the whole session: without one the seat has none when the
# app starts, and a wtype that comes and goes is gone before Qt takes its
# keys. This one only waits (an hour, then a key it never gets to).
"${session_env[@]}" wtype -s 3600000 x &
E2E_PIDS+=($!)
keyboard_up() {
    sway_ipc -t get_seats | grep -q '"capabilities": [2367]'
}
e2e_until 10 keyboard_up || e2e_fail "the session has no keyboard"

: >"$E2E_OUT"
"${session_env[@]}" "$app" >"$E2E_OUT" 2>"$E2E_ERR" &
E2E_APP_PID=$!
E2E_PIDS+=($E2E_APP_PID)
e2e_wait_line "❌ Button is nil!" # sway has no tray: a second launch opens the editor

e2e_mark
in_session "$app" >"$E2E_DIR/second.out" 2>&1 || e2e_fail "the second launch failed: $(cat "$E2E_DIR/second.out")"
e2e_wait_line "ℹ️ New image detected"
e2e_expect_lines "ℹ️ New image detected"
e2e_until 10 editor_shown || e2e_fail "no editor window in sway's tree"
sleep 1
in_session grim "$session/editor.png" && cp "$session/editor.png" "$E2E_DIR/editor.png"

# The whole image, its right edge 40 pixels in and its bottom edge 25 up,
# then Crop & Copy.
in_session wtype -M ctrl a -m ctrl
e2e_wait_match "^✅ Selection \\(pixels\\): " >/dev/null
for ((i = 0; i < 40; i++)); do in_session wtype -M alt -k Left -m alt; done
for ((i = 0; i < 25; i++)); do in_session wtype -M alt -k Up -m alt; done
e2e_mark
in_session wtype -k Return
e2e_wait_line "✅ Cropped to: 200×135 px"
convert "$session/picture.png" -crop 200x135+0+0 +repage "$E2E_DIR/expected.png"
pasted() {
    in_session wl-paste --no-newline --type image/png >"$E2E_DIR/pasted.png" 2>/dev/null &&
        e2e_same_pixels "$E2E_DIR/pasted.png" "$E2E_DIR/expected.png"
}
e2e_until 10 pasted || e2e_fail "wl-paste did not get the crop: $(identify "$E2E_DIR/pasted.png" 2>&1)"
e2e_until 10 editor_gone || e2e_fail "the editor stayed after Crop & Copy"

# No clipboard manager runs here: the crop must outlive Pintora.
kill -TERM "$E2E_APP_PID"
app_gone() {
    ! e2e_app_running
}
e2e_until 10 app_gone || e2e_fail "Pintora did not quit"
rm -f "$E2E_DIR/pasted.png"
e2e_until 10 pasted || e2e_fail "the crop was gone after Pintora quit"
echo "PASS"
