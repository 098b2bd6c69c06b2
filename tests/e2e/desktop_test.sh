#!/usr/bin/env bash
# At home on a desktop: a second launch, files, a tray that comes late, the
# tray menu, quit signals with a clipboard manager, and the StatusNotifier
# tray over D-Bus. PNGs as odd encoders write them open as libpng reads them.
# usage: desktop_test.sh PINTORA ODD_PNG
ODD_PNG=${2:?usage: $0 PINTORA ODD_PNG}
source "$(dirname "$0")/harness.sh"

convert -size 640x400 xc:'#3366cc' "PNG24:$E2E_DIR/blue.png"
convert -size 320x200 xc:'#cc3333' "PNG24:$E2E_DIR/red.png"

# Runs a second pintora; its exit status and standard error go to
# $E2E_DIR/second.status and second.err.
second_launch() {
    local status=0
    timeout 5 env -u DBUS_SESSION_BUS_ADDRESS "$E2E_APP" "$@" >/dev/null 2>"$E2E_DIR/second.err" || status=$?
    echo "$status" >"$E2E_DIR/second.status"
}

editor_open() { [[ -n $(e2e_editor_window) ]]; }

echo "== a second launch is a click on the first"
e2e_start_desktop 1280x720 LANG=en_US.UTF-8
e2e_clip_put "$E2E_DIR/blue.png"
e2e_mark
started=$(date +%s%N)
second_launch
# Reported, not asserted: a loaded machine must not fail the test.
echo "the second launch took $((($(date +%s%N) - started) / 1000000)) ms"
[[ $(cat "$E2E_DIR/second.status") == 0 ]] || e2e_fail "the second launch ended with $(cat "$E2E_DIR/second.status")"
e2e_wait_line "ℹ️ New image detected"
e2e_until 10 editor_open || e2e_fail "the second launch opened no editor"

echo "== pintora FILE, and a file that is no image"
e2e_mark
second_launch "$E2E_DIR/red.png"
[[ $(cat "$E2E_DIR/second.status") == 0 ]] || e2e_fail "opening a file ended with $(cat "$E2E_DIR/second.status")"
e2e_wait_line "ℹ️ Opening file: $E2E_DIR/red.png"
printf 'not an image' >"$E2E_DIR/notes.png"
e2e_mark
second_launch "$E2E_DIR/notes.png"
[[ $(cat "$E2E_DIR/second.status") != 0 ]] || e2e_fail "an unreadable file ended with status 0"
[[ $(wc -l <"$E2E_DIR/second.err") == 1 && $(cat "$E2E_DIR/second.err") == "pintora: cannot open $E2E_DIR/notes.png: "* ]] ||
    e2e_fail "not one clear line on standard error: $(cat "$E2E_DIR/second.err")"
sleep 0.3
[[ -z $(e2e_lines_since_mark) ]] || e2e_fail "the unreadable file disturbed the running instance"

echo "== Previous image in the tray menu: the clipboard's editor, which the file replaced"
window=$(e2e_tray_icon_window) || e2e_fail "no tray icon"
e2e_mark
xdotool mousemove --window "$window" 8 8 click 3
sleep 0.5
xdotool key Up Up Return # the last item but one
e2e_wait_line "🔁 Previous image back: 640×400 px"

echo "== PNGs libpng reads: palette indices past the palette, transparency after the image data"
"$ODD_PNG" "$E2E_DIR" || e2e_fail "the odd PNGs could not be written"
for odd in indices-past-palette trns-after-idat; do
    e2e_mark
    second_launch "$E2E_DIR/$odd.png"
    [[ $(cat "$E2E_DIR/second.status") == 0 ]] ||
        e2e_fail "$odd.png was refused: $(cat "$E2E_DIR/second.err")"
    e2e_wait_line "ℹ️ Opening file: $E2E_DIR/$odd.png"
done

echo "== Quit in the tray menu"
xdotool mousemove --window "$window" 8 8 click 3
sleep 0.5
xdotool key Up Return # the last item
e2e_until 10 bash -c "! kill -0 $E2E_APP_PID 2>/dev/null" || e2e_fail "Quit did not end the app"
status=0
wait "$E2E_APP_PID" || status=$?
((status == 0)) || e2e_fail "Quit ended the app with status $status"
e2e_cleanup

echo "== no tray at first: a second launch still opens the editor, and a late tray gets the icon"
e2e_start_x 1280x720
e2e_start_wm
e2e_start_app LANGUAGE= LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8
e2e_wait_line "❌ Button is nil!"
e2e_expect_lines "✅ App launched successfully!" "🌍 Language: English" "✅ StatusItem created: true" "❌ Button is nil!"
e2e_mark
second_launch
e2e_wait_line "ℹ️ No image on clipboard"
e2e_until 10 editor_open || e2e_fail "without a tray, a second launch opened no editor"
e2e_close_window "$(e2e_editor_window)"
sleep 3
e2e_mark
e2e_start_tray
e2e_wait_line "✅ Button action configured"
e2e_expect_lines "✅ Button exists, setting up icon..." "✅ Image set from symbol: viewfinder.crop" \
    "✅ Button action configured"
e2e_until 10 e2e_tray_icon_window >/dev/null || e2e_fail "the late tray got no icon"
e2e_clip_put "$E2E_DIR/blue.png"
e2e_mark
e2e_click_tray_icon
e2e_wait_line "ℹ️ New image detected"

echo "== SIGTERM after Crop & Copy, with a clipboard manager"
eval "$(dbus-launch --sh-syntax)"
E2E_PIDS+=("$DBUS_SESSION_BUS_PID")
xfce4-clipman >"$E2E_DIR/clipman.log" 2>&1 &
E2E_PIDS+=($!)
e2e_until 60 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null && xdotool search --class xfce4-clipman >/dev/null' ||
    true # it has no window of its own to wait for on every version
sleep 1
e2e_until 10 editor_open || e2e_fail "no editor"
eval "$(xdotool getwindowgeometry --shell "$(e2e_editor_window)")"
e2e_mark
xdotool mousemove $((X + 300)) $((Y + 300)) mousedown 1 mousemove $((X + 500)) $((Y + 400)) mouseup 1
e2e_wait_match '^✅ Selection \(pixels\): ' >/dev/null
xdotool key Return
cropped=$(e2e_wait_match '^✅ Cropped to: ')
[[ $cropped =~ ([0-9]+)×([0-9]+) ]] || e2e_fail "no crop size in: $cropped"
size="${BASH_REMATCH[1]}x${BASH_REMATCH[2]}"
# The manager takes the crop over and offers it itself (Pintora's own list
# starts with image/png), or, if the app ends first, Qt hands it over at exit.
# On a busy machine that hand-over sometimes times out on xfce4-clipman's
# side, so give the take-over its time first, as a user's pause would.
e2e_until 10 bash -c "xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qxE 'image/(png|bmp|tiff)'" ||
    e2e_fail "the crop never reached the clipboard"
e2e_until 10 bash -c "[[ \$(xclip -selection clipboard -t TARGETS -o 2>/dev/null | head -n1) != image/png ]]" || true
kill -TERM "$E2E_APP_PID"
status=0
wait "$E2E_APP_PID" || status=$?
((status == 0)) || e2e_fail "SIGTERM ended the app with status $status"
for type in image/png image/bmp image/tiff; do
    e2e_clip_get "$type" "$E2E_DIR/kept" && [[ -s $E2E_DIR/kept ]] && break
done
[[ $(identify -format '%wx%h' "$E2E_DIR/kept" 2>/dev/null) == "$size" ]] ||
    e2e_fail "the crop was not kept after the app ended (clipboard offers: $(xclip -selection clipboard -t TARGETS -o | tr '\n' ' '))"
e2e_cleanup

echo "== the StatusNotifier tray over D-Bus"
config=$E2E_DIR/config/xfce4/xfconf/xfce-perchannel-xml
mkdir -p "$config"
cat >"$config/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
e2e_start_x 1280x720
e2e_start_wm
export XDG_CONFIG_HOME=$E2E_DIR/config
eval "$(dbus-launch --sh-syntax)"
E2E_PIDS+=("$DBUS_SESSION_BUS_PID")
xfce4-panel >"$E2E_DIR/panel.log" 2>&1 &
E2E_PIDS+=($!)
watcher() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "string:$1" 2>/dev/null
}
e2e_until 60 bash -c "$(declare -f watcher); watcher IsStatusNotifierHostRegistered | grep -q 'boolean true'" ||
    e2e_fail "xfce4-panel hosts no StatusNotifier items"
: >"$E2E_OUT"
E2E_MARK=0
env -u QT_QPA_PLATFORM LANG=en_US.UTF-8 "$E2E_APP" >"$E2E_OUT" 2>"$E2E_ERR" &
E2E_APP_PID=$!
E2E_PIDS+=($E2E_APP_PID)
e2e_wait_line "✅ Button action configured"
item=
e2e_until 10 bash -c "$(declare -f watcher); watcher RegisteredStatusNotifierItems | grep -q StatusNotifierItem" ||
    e2e_fail "the icon did not register with the StatusNotifier watcher"
item=$(watcher RegisteredStatusNotifierItems | grep -o '"[^"]*StatusNotifierItem"' | head -n1 | tr -d '"')
e2e_clip_put "$E2E_DIR/red.png"
e2e_mark
dbus-send --session --print-reply --dest="${item%%/*}" "/${item#*/}" org.kde.StatusNotifierItem.Activate \
    int32:0 int32:0 >/dev/null || e2e_fail "the icon did not take the activation"
e2e_wait_line "ℹ️ New image detected"
e2e_until 10 editor_open || e2e_fail "the activation opened no editor"
e2e_screenshot status-notifier
echo "PASS"
