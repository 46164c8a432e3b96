#!/usr/bin/env bash
# Installs what building and testing Tappolo needs on Debian 12, only what is missing.
# Safe to run twice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format libgtest-dev libbenchmark-dev
    googletest g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine wine64 libwine fonts-wine xvfb xauth xdotool x11-utils imagemagick
    fonts-wqy-microhei fonts-dejavu-core fonts-liberation2 pulseaudio pulseaudio-utils sox dpkg-dev util-linux
    fp-utils-3.2.2 nlohmann-json3-dev libstb-dev libz-mingw-w64-dev nsis vorbis-tools lame)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Google Benchmark for the cross build: Debian ships it only compiled for Linux, so its
# source package is unpacked into the build tree.
bench="$root/build/_deps/benchmark"
if [ ! -f "$bench/CMakeLists.txt" ]; then
    work="$root/build/_deps/apt-src"
    mkdir -p "$work/lists/partial" "$work/dl"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" >"$work/sources.list"
    opts=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
        -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq
    (cd "$work/dl" && apt-get "${opts[@]}" source --download-only -qq benchmark)
    tarball=$(ls "$work"/dl/benchmark_*.orig.tar.* | head -n 1)
    mkdir -p "$bench"
    tar -xf "$tarball" -C "$bench" --strip-components=1
fi
echo "setup: ready"
