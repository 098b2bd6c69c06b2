# Wayland sessions, each with wl-copy and wl-paste as the other programs:
#   sway   headless; Pintora on Wayland itself, wtype as the keyboard
#   kde    KWin nested in Xvfb; Pintora on Wayland itself, xdotool as the keyboard
#   gnome  mutter nested in Xvfb; Pintora on XWayland, xdotool as the keyboard
# An image a Wayland client put on the clipboard opens in the editor on a
# second launch; Crop & Copy's PNG is read back by wl-paste, pixel for
# pixel, also after Pintora has quit.
#
#   wayland_test.sh PATH_TO_PINTORA sway|kde|gnome
desktop=${2:?usage: $0 PATH_TO_PINTORA sway|kde|gnome}
E2E_NAME=wayland_$desktop
source "$(dirname "$0")/harness.sh"

tools=(wl-copy wl-paste setpriv dbus-daemon)
case $desktop in
sway) tools+=(sway swaymsg wtype grim) ;;
kde) tools+=(kwin_wayland) ;;
gnome) tools+=(mutter Xwayland) ;;
*) e2e_fail "no such desktop: $desktop" ;;
esac
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed (the README's test command installs it)"
done

# sway refuses to run as root: as root, every session runs as nobody, from a
# folder of its own.
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

# A command of the session's user in the session, with only what the
# session has. Run in the background as "${session_env[@]}" COMMAND &, so
# that its pid is the command's own.
session_vars=(PATH="$PATH" HOME="$session" XDG_RUNTIME_DIR="$session" LANG=C.UTF-8 XDG_SESSION_TYPE=wayland)
for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS; do # for the sanitizer builds
    [[ -v $name ]] && session_vars+=("$name=${!name}")
done
session_env=()
set_session_env() {
    session_env=(env -i "${session_vars[@]}" "$@" "${as_user[@]}")
}
set_session_env
in_session() {
    "${session_env[@]}" "$@"
}
# Waits for the Wayland socket NAME in the session's folder.
wayland_socket_up() {
    [[ -S $session/$1 ]]
}

case $desktop in
sway)
    printf 'output HEADLESS-1 resolution 1366x768\n' >"$session/sway.conf"
    set_session_env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WAYLAND_DISPLAY=
    "${session_env[@]}" sway -c "$session/sway.conf" >"$E2E_DIR/compositor.log" 2>&1 &
    E2E_PIDS+=($!)
    socket_name() {
        find "$session" -maxdepth 1 -name 'wayland-*' -type s -printf '%f\n' | head -n1 | grep .
    }
    e2e_until 60 socket_name >/dev/null || e2e_fail "sway did not start: $(cat "$E2E_DIR/compositor.log")"
    session_vars+=(WAYLAND_DISPLAY="$(socket_name)" XDG_CURRENT_DESKTOP=sway)
    ;;
kde | gnome)
    e2e_start_x 1600x900
    outer=$DISPLAY
    "${session_env[@]}" dbus-daemon --session --nofork --address="unix:path=$session/bus" \
        >"$E2E_DIR/dbus.log" 2>&1 &
    E2E_PIDS+=($!)
    session_vars+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$session/bus")
    set_session_env DISPLAY="$outer"
    if [[ $desktop == kde ]]; then
        # A copy without the file capabilities that a process of another
        # user may not take on; under its own name, which KWin checks.
        mkdir -p "$session/kwin" && cp "$(command -v kwin_wayland)" "$session/kwin/" && chmod -R a+rx "$session/kwin"
        "${session_env[@]}" "$session/kwin/kwin_wayland" --x11-display "$outer" --width 1366 --height 768 \
            --socket wayland-e2e >"$E2E_DIR/compositor.log" 2>&1 &
        E2E_PIDS+=($!)
        session_vars+=(XDG_CURRENT_DESKTOP=KDE)
    else
        # Its XWayland takes a display from :0 to :49 and no other.
        free=0
        for n in {0..49}; do [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || free=1; done
        ((free)) || e2e_fail "every X display from :0 to :49 is taken: mutter's XWayland would find none"
        "${session_env[@]}" mutter --wayland --nested --wayland-display wayland-e2e \
            >"$E2E_DIR/compositor.log" 2>&1 &
        E2E_PIDS+=($!)
        session_vars+=(XDG_CURRENT_DESKTOP=GNOME)
    fi
    e2e_until 60 wayland_socket_up wayland-e2e || e2e_fail "$desktop did not start: $(cat "$E2E_DIR/compositor.log")"
    session_vars+=(WAYLAND_DISPLAY=wayland-e2e)
    if [[ $desktop == gnome ]]; then
        xwayland_display() {
            grep -aoE 'Using public X11 display :[0-9]+' "$E2E_DIR/compositor.log" | grep -oE ':[0-9]+$'
        }
        e2e_until 60 xwayland_display >/dev/null || e2e_fail "mutter did not start XWayland"
        session_vars+=(DISPLAY="$(xwayland_display)"
            XAUTHORITY="$(find "$session" -maxdepth 1 -name '.mutter-Xwaylandauth*' | head -n1)")
    fi
    ;;
esac
set_session_env

# The keys of KEYS (xdotool's names) go to the focused window.
press() {
    local key
    for key in "$@"; do
        if [[ $desktop == sway ]]; then
            case $key in
            *+*) in_session wtype -M "${key%%+*}" -k "${key#*+}" -m "${key%%+*}" ;;
            *) in_session wtype -k "$key" ;;
            esac
        else
            # The nested compositor's window is the outer server's only one.
            DISPLAY=$outer xdotool key "$key"
        fi
    done
}
if [[ $desktop == sway ]]; then
    # A keyboard for the whole session: without one the seat has none when
    # the app starts, and a wtype that comes and goes is gone before Qt
    # takes its keys. This one only waits (an hour, then a key it never gets to).
    "${session_env[@]}" wtype -s 3600000 x &
    E2E_PIDS+=($!)
    sway_ipc() {
        in_session env SWAYSOCK="$(find "$session" -maxdepth 1 -name 'sway-ipc.*' | head -n1)" swaymsg "$@"
    }
    keyboard_up() {
        sway_ipc -t get_seats | grep -q '"capabilities": [2367]'
    }
    e2e_until 10 keyboard_up || e2e_fail "the session has no keyboard"
else
    DISPLAY=$outer xdotool mousemove 400 300
fi

screenshot() {
    if [[ $desktop == sway ]]; then
        in_session grim "$session/shot.png" && cp "$session/shot.png" "$E2E_DIR/$1.png"
    else
        DISPLAY=$outer import -window root "$E2E_DIR/$1.png"
    fi
}

# An image with a different colour in each corner, so that a crop off by a
# pixel or a flipped one shows.
convert -size 240x160 xc:'#3366cc' -fill '#ff0000' -draw 'point 0,0' -fill '#00ff00' -draw 'point 239,0' \
    -fill '#ffff00' -draw 'point 0,159' -fill '#ff00ff' -draw 'point 239,159' \
    -fill '#ffffff' -draw 'rectangle 20,30 60,50' "$session/picture.png"
chmod 644 "$session/picture.png"
clipboard_has_png() {
    in_session timeout 5 wl-paste --list-types 2>/dev/null | grep -qxF image/png
}
# Where the compositor has no clipboard protocol for tools (mutter), wl-copy
# takes the clipboard through a surface of its own that must get the focus,
# which on a busy machine it now and then does not: started again then.
for attempt in 1 2 3; do
    "${session_env[@]}" wl-copy --foreground --type image/png <"$session/picture.png" &
    E2E_PIDS+=($!)
    e2e_until 20 clipboard_has_png && break
    kill "${E2E_PIDS[-1]}" 2>/dev/null || true
    ((attempt < 3)) || e2e_fail "wl-copy did not take the clipboard"
done

: >"$E2E_OUT"
"${session_env[@]}" "$app" >"$E2E_OUT" 2>"$E2E_ERR" &
E2E_APP_PID=$!
E2E_PIDS+=($E2E_APP_PID)
e2e_wait_line "❌ Button is nil!" # no tray here: a second launch opens the editor

e2e_mark
in_session "$app" >"$E2E_DIR/second.out" 2>&1 || e2e_fail "the second launch failed: $(cat "$E2E_DIR/second.out")"
e2e_wait_line "ℹ️ New image detected"
e2e_expect_lines "ℹ️ New image detected"

# The whole image, its right edge 40 pixels in and its bottom edge 25 up,
# then Crop & Copy.
sleep 1
press ctrl+a
e2e_wait_match "^✅ Selection \\(pixels\\): " >/dev/null
for ((i = 0; i < 40; i++)); do press alt+Left; done
for ((i = 0; i < 25; i++)); do press alt+Up; done
e2e_wait_line "✅ Selection (pixels): (0.0, 25.0, 200.0, 135.0)"
screenshot editor
e2e_mark
press Return
e2e_wait_line "✅ Cropped to: 200×135 px"
convert "$session/picture.png" -crop 200x135+0+0 +repage "$E2E_DIR/expected.png"
pasted() {
    # KWin goes on offering a dead owner's types, and a read of them waits.
    in_session timeout 5 wl-paste --no-newline --type image/png >"$E2E_DIR/pasted.png" 2>/dev/null &&
        e2e_same_pixels "$E2E_DIR/pasted.png" "$E2E_DIR/expected.png"
}
e2e_until 10 pasted || e2e_fail "wl-paste did not get the crop: $(identify "$E2E_DIR/pasted.png" 2>&1)"
if [[ $desktop == sway ]]; then
    editor_gone() {
        ! sway_ipc -t get_tree | grep -q '"app_id": "pintora"'
    }
    e2e_until 10 editor_gone || e2e_fail "the editor stayed after Crop & Copy"
fi

# Neither sway nor this KDE runs a clipboard manager, but the crop must
# outlive Pintora.
kill -TERM "$E2E_APP_PID"
app_gone() {
    ! e2e_app_running
}
e2e_until 10 app_gone || e2e_fail "Pintora did not quit"
rm -f "$E2E_DIR/pasted.png"
e2e_until 10 pasted || e2e_fail "the crop was gone after Pintora quit"
echo "PASS"
