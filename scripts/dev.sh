#!/usr/bin/env bash
# Installs what Pintora needs, builds it, then starts it or runs every test.
#
#   scripts/dev.sh run    Release build, then start Pintora
#   scripts/dev.sh test   build with tests, then run them all (unit and end to end)
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: $0 run|test" >&2
    exit 2
}
[[ $# -eq 1 ]] || usage
mode=$1

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev libisal-dev
    libxcb1-dev fonts-dejavu-core qt6-wayland libtesseract-dev tesseract-ocr-eng)
case $mode in
run) ;;
test)
    packages+=(googletest libgtest-dev libbenchmark-dev xvfb trayer openbox wmctrl xclip xdotool imagemagick
        x11-utils clang-format-14 tesseract-ocr tesseract-ocr-eng xfce4-panel xfce4-clipman dbus-x11 dpkg-dev fonts-ipafont-gothic libpng-dev zlib1g-dev lintian libxfixes-dev
        sway wl-clipboard wtype grim kwin-wayland mutter xwayland)
    ;;
*) usage ;;
esac

install_missing() {
    local missing=() package
    if ! command -v dpkg-query >/dev/null; then
        echo "This is not a Debian or Ubuntu system. Install these packages (or their equivalents):" >&2
        echo "  ${packages[*]}" >&2
        exit 1
    fi
    for package in "${packages[@]}"; do
        if [[ $(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null) != installed ]]; then
            missing+=("$package")
        fi
    done
    ((${#missing[@]} == 0)) && return 0

    echo "Installing: ${missing[*]}"
    local sudo=()
    if ((EUID != 0)); then
        if ! command -v sudo >/dev/null; then
            echo "Not root and no sudo: install these packages as root, then run this again:" >&2
            echo "  apt-get install ${missing[*]}" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

install_missing

case $mode in
run)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPINTORA_BUILD_TESTS=OFF -DPINTORA_BUILD_BENCHMARKS=OFF
    cmake --build build/release
    cat <<'EOF'

Pintora is starting. Its icon, a small crop frame, appears in your system tray: copy an image
or take a screenshot, then click the icon to edit it. Right-click the icon to quit, or press
Control-C here. Without a tray, run build/release/src/pintora again to open the editor.

EOF
    exec build/release/src/pintora
    ;;
test)
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build/test
    exec ctest --test-dir build/test --output-on-failure -j"$(nproc)"
    ;;
esac
