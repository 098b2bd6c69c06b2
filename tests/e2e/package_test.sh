#!/usr/bin/env bash
# The Debian package: what it holds, what it depends on, and that its binary,
# unpacked into an empty root, starts.
#   package_test.sh PINTORA BUILD_DIR
source "$(dirname "$0")/harness.sh"
build=${2:?usage: $0 PINTORA BUILD_DIR}

(cd "$build" && cpack -G DEB -B "$E2E_DIR/package" >"$E2E_DIR/cpack.log" 2>&1) || e2e_fail "cpack failed: $(tail -5 "$E2E_DIR/cpack.log")"
deb=$(ls "$E2E_DIR"/package/pintora_*_*.deb)
[[ $(basename "$deb") =~ ^pintora_[0-9.]+_$(dpkg --print-architecture)\.deb$ ]] || e2e_fail "unexpected name: $deb"

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
expected=$'./usr/bin/pintora\n./usr/share/applications/pintora.desktop\n./usr/share/doc/pintora/changelog.gz\n./usr/share/doc/pintora/copyright\n./usr/share/icons/hicolor/scalable/apps/pintora.svg\n./usr/share/man/man1/pintora.1.gz'
[[ $files == "$expected" ]] || e2e_fail "the package holds: $files"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6svg6 qt6-wayland libstdc++6 libtesseract5 tesseract-ocr-eng; do
    [[ $depends == *"$library"* ]] || e2e_fail "no dependency on $library: $depends"
done
duplicates=$(tr ',' '\n' <<<"$depends" | awk '{print $1}' | sort | uniq -d)
[[ -z $duplicates ]] || e2e_fail "dependencies named twice: $duplicates"
# Where lintian is at hand, it has nothing to say (it prefers not to run as root).
if command -v lintian >/dev/null; then
    findings=$(lintian --pedantic --allow-root "$deb" 2>&1) || e2e_fail "lintian failed: $findings"
    [[ -z $findings ]] || e2e_fail "lintian: $findings"
fi

root=$E2E_DIR/root
dpkg-deb -x "$deb" "$root"
grep -q '^MimeType=image/png;' "$root/usr/share/applications/pintora.desktop" || e2e_fail "no image types in the desktop entry"
[[ $("$root/usr/bin/pintora" --version) == "pintora $(dpkg-deb -f "$deb" Version)" ]] || e2e_fail "--version does not answer"
XDG_RUNTIME_DIR=$E2E_DIR QT_QPA_PLATFORM=offscreen "$root/usr/bin/pintora" >"$E2E_OUT" 2>"$E2E_ERR" &
E2E_APP_PID=$!
E2E_PIDS+=($E2E_APP_PID)
e2e_wait_line "✅ App launched successfully!"
kill -TERM "$E2E_APP_PID"
status=0
wait "$E2E_APP_PID" || status=$?
((status == 0)) || e2e_fail "the unpacked binary ended with status $status"
echo "PASS"
