#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests use.
# Already installed packages are skipped, so a second run costs a second.
set -euo pipefail

packages=(cmake g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev zlib1g-dev
          gputils gpsim zip unzip p7zip-full
          g++-mingw-w64-i686 wine wine32 xvfb xdotool x11-apps imagemagick
          # for hosts whose kernel runs no 32-bit code: the Wine tests' x86_64 build
          g++-mingw-w64-x86-64 wine64)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
