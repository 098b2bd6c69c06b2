#!/usr/bin/env bash
# Launch on a desktop with a tray, in another language, and with standard
# output into a reader that quits. (Without a tray: the desktop test.)
source "$(dirname "$0")/harness.sh"

launch_lines=(
    "✅ App launched successfully!"
    "🌍 Language: English"
    "✅ StatusItem created: true"
    "✅ Button exists, setting up icon..."
    "✅ Image set from symbol: viewfinder.crop"
    "✅ Button action configured"
)

echo "== with a tray host"
e2e_start_x 2560x1440
e2e_start_tray
e2e_start_app LANGUAGE= LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8
e2e_wait_line "✅ Button action configured"
e2e_expect_lines "${launch_lines[@]}"
e2e_until 10 e2e_tray_icon_window >/dev/null || e2e_fail "the tray icon did not appear in the panel"
e2e_screenshot tray
e2e_click_tray_icon
sleep 0.5
e2e_app_running || e2e_fail "the app ended after a click on its icon"
e2e_cleanup

echo "== a Hungarian user"
e2e_start_x 1280x720
e2e_start_tray
e2e_start_app LANGUAGE= LC_ALL= LC_MESSAGES= LANG=hu_HU.UTF-8
e2e_wait_line "✅ Button action configured"
e2e_expect_lines "✅ App launched successfully!" "🌍 Language: Magyar"
e2e_cleanup

echo "== a channel folder other users can enter: refused, and the app runs on its own"
mkdir -p "$E2E_DIR/tmp/pintora-$(id -u)"
chmod 0777 "$E2E_DIR/tmp/pintora-$(id -u)"
e2e_start_x 1280x720
e2e_start_tray
e2e_start_app -u XDG_RUNTIME_DIR TMPDIR="$E2E_DIR/tmp" LANGUAGE= LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8
e2e_wait_line "✅ Button action configured"
expected="pintora: running without hand-over to a running Pintora: $E2E_DIR/tmp/pintora-$(id -u) is open to other users (mode 777, not 700)"
grep -qxF -- "$expected" "$E2E_ERR" || e2e_fail "no refusal on standard error: $(cat "$E2E_ERR")"
[[ -z $(find "$E2E_DIR/tmp" -mindepth 2) ]] || e2e_fail "something was made in the open folder: $(find "$E2E_DIR/tmp")"
e2e_cleanup

echo "== standard output into a reader that quits"
e2e_start_x 1280x720
e2e_start_tray
env -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORM LANG=en_US.UTF-8 "$E2E_APP" \
    > >(head -n 1 >"$E2E_DIR/head.out") 2>"$E2E_ERR" &
E2E_APP_PID=$!
E2E_PIDS+=($E2E_APP_PID)
e2e_until 20 e2e_tray_icon_window >/dev/null || e2e_fail "no tray icon with standard output into head"
e2e_click_tray_icon
e2e_until 20 e2e_editor_window >/dev/null || e2e_fail "a click after head quit opened no editor"
e2e_app_running || e2e_fail "the app ended when its standard output went away"
[[ $(cat "$E2E_DIR/head.out") == "✅ App launched successfully!" ]] || e2e_fail "head read: $(cat "$E2E_DIR/head.out")"
e2e_cleanup

echo "PASS"
