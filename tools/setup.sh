#!/usr/bin/env bash
# Installs everything the project needs on a fresh Debian 12 machine (run as root, or with sudo).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xdotool imagemagick
  librsvg2-bin fonts-dejavu-core fonts-wqy-microhei zip python3 locales-all libclang-rt-14-dev ccache nsis
  osslsigncode openssl python3-yaml p7zip-full faketime
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
