# Helpers for driving the real pintora binary on a real X server, as a user
# would: Xvfb, an XEmbed tray host, xdotool for the mouse and keys, xclip for
# the clipboard. Source it from a test script; every process it starts is
# stopped by its pid when the script exits.
#
#   e2e_start_x [WIDTHxHEIGHT]   Xvfb on a free display above :99; exports DISPLAY
#   e2e_start_wm                 a window manager (openbox), for title-bar closes
#   e2e_start_tray               the tray host, ready to take icons
#   e2e_start_app [VAR=value...] the app, its console lines in $E2E_OUT
#   e2e_start_desktop SIZE [VAR=value...]  X, openbox, the tray and the app, its icon up
#   e2e_mark                     from now on, look only at lines written after this
#   e2e_wait_line LINE [SECONDS] wait until the app wrote exactly LINE
#   e2e_wait_match REGEX         wait for a line matching REGEX; prints it
#   e2e_expect_lines LINE...     the lines since the mark are exactly these
#   e2e_tray_icon_window         the X window id of the app's tray icon
#   e2e_click_tray_icon          a left click on it
#   e2e_editor_window            the id of the visible editor window, if any
#   e2e_close_window ID          close it as its title-bar button does
#   e2e_clip_put FILE [TYPE]     offer FILE on the clipboard as TYPE
#   e2e_clip_get TYPE FILE       what the clipboard holds as TYPE, into FILE
#   e2e_screenshot NAME          the whole screen as $E2E_DIR/NAME.png
#   e2e_open_editor_on FILE      the editor open on the PNG FILE, from the clipboard
#   e2e_learn_image_mapping H    where the editor shows the pixels of an image H tall
#   e2e_screen_point U V         the screen point of image pixel (U, V), V from the top
#   e2e_drag_pixels B U1 V1 U2 V2  a drag with mouse button B between two image pixels
#   e2e_same_pixels A B          the two images have exactly the same pixels

set -euo pipefail

E2E_APP=${1:?usage: $0 PATH_TO_PINTORA}
E2E_NAME=${E2E_NAME:-$(basename "$0" .sh)}
E2E_DIR=${PINTORA_E2E_OUT:-${TMPDIR:-/tmp}/pintora-e2e}/$E2E_NAME
E2E_OUT=$E2E_DIR/app.out
E2E_ERR=$E2E_DIR/app.err
E2E_PIDS=()
E2E_APP_PID=
E2E_MARK=0
# The choices the app remembers stay in the test's folder.
export XDG_CONFIG_HOME=$E2E_DIR/config
rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"

e2e_fail() {
    e2e_report "$*"
    exit 1
}

e2e_report() {
    echo "FAIL: $*" >&2
    if [[ -s $E2E_OUT ]]; then
        echo "--- console lines of the app:" >&2
        cat "$E2E_OUT" >&2
    fi
    if [[ -s $E2E_ERR ]]; then
        echo "--- its standard error:" >&2
        cat "$E2E_ERR" >&2
    fi
}
# Any other command that fails ends the test under `set -e`: say which.
trap 'e2e_report "line $LINENO: $BASH_COMMAND returned $?"' ERR

e2e_cleanup() {
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    # A helper that does not heed SIGTERM (xfce4-panel once hung saving
    # its settings over a bus already gone) gets ten seconds, then SIGKILL.
    for pid in "${E2E_PIDS[@]}"; do
        for _ in {1..100}; do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    E2E_PIDS=()
}
trap e2e_cleanup EXIT

# An X server with many clients coming and going now and then refuses a
# connection, and a search can meet a window as it is destroyed. Under
# `set -e` either would end a test without a word: such a client is run
# again. Anything else it says or returns is passed on.
e2e_x_client() {
    local errors status retry='open display|open X server|Cannot open display'
    [[ $1 == xdotool && ${2:-} == search ]] && retry+='|BadWindow'
    errors=$(mktemp "$E2E_DIR/x-client.XXXXXX")
    for _ in {1..50}; do
        status=0
        command "$@" 2>"$errors" || status=$?
        ((status != 0)) && grep -qE "$retry" "$errors" || break
        sleep 0.1
    done
    cat "$errors" >&2
    rm -f "$errors"
    return "$status"
}
for client in xdotool xclip xprop xwininfo wmctrl import; do
    eval "$client() { e2e_x_client $client \"\$@\"; }"
done

for tool in Xvfb trayer openbox wmctrl xdotool xclip import compare convert xwininfo; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed (the README's test command installs it)"
done
[[ -x $E2E_APP ]] || e2e_fail "no executable at $E2E_APP"

# Polls COMMAND until it succeeds, for at most SECONDS.
e2e_until() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

e2e_start_x() {
    local size=${1:-2560x1440} display attempt pid
    # A free display of our own above :99, so that tests run side by side and
    # the low ones stay free for servers that only look there (mutter's
    # XWayland takes one of :0 to :49). Two tests may pick the same one: the
    # second server then ends at once, and another is tried. -noreset keeps
    # the server from resetting (and refusing clients) whenever its last
    # client leaves.
    for attempt in 1 2 3 4 5 6 7 8; do
        display=$((100 + RANDOM % 900))
        [[ ! -e /tmp/.X$display-lock && ! -e /tmp/.X11-unix/X$display ]] || continue
        Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp -noreset 2>"$E2E_DIR/xvfb.err" &
        pid=$!
        E2E_PIDS+=($pid)
        export DISPLAY=:$display
        # Generous: a loaded machine starts a server slowly.
        if e2e_until 60 bash -c "xwininfo -root >/dev/null 2>&1 || ! kill -0 $pid 2>/dev/null" && kill -0 "$pid" 2>/dev/null &&
            xwininfo -root >/dev/null 2>&1; then
            return 0
        fi
        kill "$pid" 2>/dev/null || true
    done
    e2e_fail "Xvfb did not start: $(tail -3 "$E2E_DIR/xvfb.err")"
}

e2e_start_wm() {
    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_until 60 wmctrl -m >/dev/null 2>&1 || e2e_fail "openbox did not start"
}

# The XEmbed tray must own its selection before the app asks for a tray.
# The panel reserves its strip (a strut), so the free area of the screen is
# smaller than the screen, as on a desktop with a panel. trayer shows its
# panel only after taking the selection, so a visible panel
# means it is ready.
e2e_start_tray() {
    local attempt
    # Now and then, on a busy machine, trayer makes its panel and never maps
    # it: after a while it is started again.
    for attempt in 1 2 3; do
        env -u DBUS_SESSION_BUS_ADDRESS trayer --edge top --align right --widthtype pixel --width 200 \
            --height 28 --transparent true --alpha 0 --tint 0x1e1e1e --SetDockType true --SetPartialStrut true \
            >"$E2E_DIR/trayer.log" 2>&1 &
        E2E_PIDS+=($!)
        e2e_until 15 xdotool search --onlyvisible --class trayer >/dev/null 2>&1 && return 0
        kill "${E2E_PIDS[-1]}" 2>/dev/null || true
        echo "trayer did not show its panel in 15 s (attempt $attempt)"
    done
    e2e_fail "trayer did not show its panel: $(tail -3 "$E2E_DIR/trayer.log")"
}

# Without a session bus Qt uses the XEmbed tray, which is what trayer hosts.
e2e_start_app() {
    : >"$E2E_OUT"
    E2E_MARK=0
    env -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORM "$@" "$E2E_APP" >"$E2E_OUT" 2>"$E2E_ERR" &
    E2E_APP_PID=$!
    E2E_PIDS+=($E2E_APP_PID)
}

e2e_mark() {
    E2E_MARK=$(wc -l <"$E2E_OUT")
}

e2e_lines_since_mark() {
    tail -n +$((E2E_MARK + 1)) "$E2E_OUT"
}

e2e_has_line() {
    e2e_lines_since_mark | grep -qxF -- "$1"
}

e2e_wait_line() {
    local line=$1 seconds=${2:-20}
    e2e_until "$seconds" e2e_has_line "$line" || e2e_fail "the app did not write: $line"
}

e2e_has_match() {
    e2e_lines_since_mark | grep -qE -- "$1"
}

e2e_wait_match() {
    e2e_until 20 e2e_has_match "$1" || e2e_fail "the app wrote no line matching: $1"
    e2e_lines_since_mark | grep -E -- "$1" | head -n1
}

e2e_expect_lines() {
    local expected actual
    expected=$(printf '%s\n' "$@")
    actual=$(e2e_lines_since_mark | head -n $#)
    [[ $actual == "$expected" ]] || e2e_fail "$(printf 'expected these lines:\n%s\n' "$expected")"
}

e2e_app_running() {
    kill -0 "$E2E_APP_PID" 2>/dev/null
}

e2e_tray_icon_window() {
    local window geometry
    # The tray icon is the app's small window embedded in the panel.
    for window in $(xdotool search --onlyvisible --class pintora 2>/dev/null); do
        # A window that closed since the search (a tray message) is passed over.
        geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || continue
        eval "$geometry"
        if ((WIDTH <= 64 && HEIGHT <= 64)); then
            echo "$window"
            return 0
        fi
    done
    return 1
}

e2e_click_tray_icon() {
    local window
    # Windows that come and go while the panel is searched can hide the
    # icon from one search on a busy machine: look again for a while.
    for _ in {1..50}; do
        window=$(e2e_tray_icon_window) && break
        sleep 0.1
    done
    [[ -n $window ]] || e2e_fail "no tray icon window"
    xdotool mousemove --window "$window" 8 8 click 1
}

e2e_editor_window() {
    xdotool search --onlyvisible --name '^Pintora - Image Editor$' 2>/dev/null | head -n1
}

e2e_close_window() {
    wmctrl -i -c "$1"
}

e2e_clip_put() {
    local file=$1 type=${2:-image/png}
    command xclip -quiet -selection clipboard -t "$type" -i "$file" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    e2e_until 10 bash -c "xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qxF '$type'" ||
        e2e_fail "xclip did not take the clipboard"
}

e2e_clip_get() {
    xclip -selection clipboard -t "$1" -o >"$2" 2>/dev/null
}

e2e_same_pixels() {
    local differing
    differing=$(compare -metric AE "$1" "$2" null: 2>&1) || true
    [[ $differing == 0 ]]
}

# Puts the PNG FILE on the clipboard and opens the editor on it from the tray.
# The editor of a new image opens once it is decoded, in a new window: not
# the one showing before the click ($1), which keys would go to otherwise.
# Waits for it and activates it.
e2e_wait_new_editor() {
    e2e_until 30 bash -c "w=\$(xdotool search --onlyvisible --name '^Pintora - Image Editor\$' 2>/dev/null | head -n1)
        [[ -n \$w && \$w != '${1:-}' ]] && xdotool windowactivate --sync \$w 2>/dev/null" || e2e_fail "no new editor opened"
}

# A click on the tray for an image not seen before, up to its new editor.
e2e_click_for_new_image() {
    e2e_mark
    local before
    before=$(e2e_editor_window || true)
    e2e_click_tray_icon
    e2e_wait_line "ℹ️ New image detected"
    e2e_wait_new_editor "$before"
    e2e_mark
}

e2e_open_editor_on() {
    e2e_clip_put "$1"
    e2e_click_for_new_image
    sleep 0.5
}

# Learns where the open editor shows the image's pixels, for an image
# HEIGHT pixels tall: a left drag between two screen points inside it
# reports the selection it made, in pixels with y up. Sets X, Y, WIDTH and
# HEIGHT to the editor window's geometry.
e2e_learn_image_mapping() {
    E2E_IMAGE_HEIGHT=$1
    eval "$(xdotool getwindowgeometry --shell "$(e2e_editor_window)")"
    # In the window's lower part, which is the canvas's, however many rows
    # the toolbar takes.
    E2E_AX=$((X + WIDTH / 4)) E2E_AY=$((Y + 5 * HEIGHT / 8)) E2E_BX=$((X + 3 * WIDTH / 4))
    local by=$((Y + 7 * HEIGHT / 8)) selection
    e2e_mark
    xdotool mousemove "$E2E_AX" "$E2E_AY" mousedown 1 mousemove "$(((E2E_AX + E2E_BX) / 2))" "$(((E2E_AY + by) / 2))" \
        mousemove "$E2E_BX" "$by" mouseup 1
    selection=$(e2e_wait_match '^✅ Selection \(pixels\): ')
    [[ $selection =~ \(([0-9.]+),\ ([0-9.]+),\ ([0-9.]+),\ ([0-9.]+)\)$ ]] || e2e_fail "no selection: $selection"
    E2E_SELECTED=("${BASH_REMATCH[@]:1}")
}

# Screen x and y of image pixel (U, V), V counted from the top.
e2e_screen_point() {
    awk -v u="$1" -v v="$2" -v x="${E2E_SELECTED[0]}" -v y="${E2E_SELECTED[1]}" -v w="${E2E_SELECTED[2]}" \
        -v h="${E2E_SELECTED[3]}" -v ax="$E2E_AX" -v ay="$E2E_AY" -v bx="$E2E_BX" -v H="$E2E_IMAGE_HEIGHT" 'BEGIN {
        k = w / (bx - ax)   # pixels per screen point
        printf "%d %d\n", ax + (u - x) / k + 0.5, ay + (v - (H - y - h)) / k + 0.5 }'
}

# A drag with mouse BUTTON from image pixel (U1, V1) to (U2, V2), V from
# the top, after e2e_learn_image_mapping.
e2e_drag_pixels() {
    local button=$1 x1 y1 x2 y2
    read -r x1 y1 < <(e2e_screen_point "$2" "$3")
    read -r x2 y2 < <(e2e_screen_point "$4" "$5")
    xdotool mousemove "$x1" "$y1" mousedown "$button" mousemove "$(((x1 + x2) / 2))" "$(((y1 + y2) / 2))" \
        mousemove "$x2" "$y2" mouseup "$button"
}

# Crop & Copy of the whole W x H image, after e2e_learn_image_mapping; the
# PNG it puts on the clipboard goes to FILE. The drag runs from the image's
# top left pixel (the margin around it may be the toolbar's) to beyond its
# bottom right; the cut takes every pixel the selection touches.
e2e_crop_and_copy_all() {
    local w=$1 h=$2 file=$3 x1 y1 x2 y2
    read -r x1 y1 < <(e2e_screen_point 0 0)
    read -r x2 y2 < <(e2e_screen_point $((w + 30)) $((h + 30)))
    e2e_mark
    xdotool mousemove "$x1" "$y1" mousedown 1 mousemove "$(((x1 + x2) / 2))" "$y2" mousemove "$x2" "$y2" mouseup 1
    e2e_wait_match '^✅ Selection \(pixels\): ' >/dev/null
    xdotool key Return
    e2e_wait_line "✅ Cropped to: ${w}×$h px"
    e2e_until 20 bash -c '! xdotool search --onlyvisible --name "^Pintora - Image Editor$" >/dev/null 2>&1' ||
        e2e_fail "the editor did not close"
    e2e_clip_get image/png "$file"
}

e2e_screenshot() {
    import -window root "$E2E_DIR/$1.png"
    echo "screenshot: $E2E_DIR/$1.png"
}

e2e_start_desktop() {
    local size=$1
    shift
    e2e_start_x "$size"
    e2e_start_wm
    e2e_start_tray
    e2e_start_app LANGUAGE= LC_ALL= LC_MESSAGES= "$@"
    e2e_wait_line "✅ Button action configured"
    e2e_until 10 e2e_tray_icon_window >/dev/null || e2e_fail "no tray icon"
}
