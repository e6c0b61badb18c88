#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vonu needs, and only those missing.
# Idempotent: when everything is present it asks dpkg once and returns.
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  python3 nginx-light openssl python3-pyftpdlib
  ffmpeg
  chromium
  aria2 axel curl time bc
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
