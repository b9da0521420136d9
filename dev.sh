#!/usr/bin/env bash
# Builds and starts the program (./dev.sh run) or builds and runs every test
# (./dev.sh test). Installs the Debian packages it needs when run as root.
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(build-essential cmake qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libyaml-cpp-dev libexpat1-dev libhunspell-dev hunspell-hu pkg-config libgl-dev
    libspeechd-dev qtkeychain-qt6-dev fonts-liberation2)
# What the program speaks Hungarian with; it runs without them, silent.
SPEECH_PACKAGES=(speech-dispatcher speech-dispatcher-espeak-ng)

ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
}

jobs=$(nproc 2>/dev/null || echo 2)

case "${1:-}" in
run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [[ "${QT_QPA_PLATFORM:-}" != offscreen* ]]; then
        echo "Bimbala needs a graphical session to show its windows, and none was found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
        exit 1
    fi
    ensure_packages "${BUILD_PACKAGES[@]}" "${SPEECH_PACKAGES[@]}"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$jobs"
    exec ./build/bin/bimbala
    ;;
test)
    # The validators of the desktop entry and the AppStream data, CPack's dpkg-shlibdeps, strings,
    # the X server (with the X client library's headers) that the captions test runs on, and the
    # PostgreSQL server, Qt's driver for it and openssl for the class server's test, and the
    # speech service with its Hungarian voice and the silent PulseAudio that the speech test speaks into.
    ensure_packages "${BUILD_PACKAGES[@]}" appstream desktop-file-utils dpkg-dev file binutils xvfb libxcb1-dev \
        python3-jsonschema python3-yaml postgresql libqt6sql6-psql openssl \
        "${SPEECH_PACKAGES[@]}" pulseaudio
    # Xvfb and PostgreSQL are installed now, so those tests run and are never skipped here.
    export BIMBALA_REQUIRE_XVFB=1 BIMBALA_REQUIRE_POSTGRES=1
    cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DBIMBALA_TESTS=ON -DBIMBALA_SANITIZE=ON -DBIMBALA_WERROR=ON
    cmake --build build-tests -j "$jobs"
    ctest --test-dir build-tests --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
