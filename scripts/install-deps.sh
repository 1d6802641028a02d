#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Does nothing when all are present.
set -euo pipefail

packages=(
    make cmake g++ clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xvfb xauth imagemagick python3
    # The Windows installer and the portable zip (make dist).
    nsis zip
    googletest libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
    # The XML reader of the native build (on Windows the system's XmlLite).
    libexpat1-dev
    # Synchronisation: the HTTP transport of the native build, and the CardDAV servers its tests run.
    libcurl4-openssl-dev libssl-dev openssl radicale xandikos
    # Only for redrawing the pictures (tools/assets/make_icons.py); the build uses the committed files.
    python3-pil fonts-dejavu-core fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
