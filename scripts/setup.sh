#!/usr/bin/env bash
# Installs what building and testing Tessel needs on Debian; does nothing
# when everything is there already.
set -euo pipefail

packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine wine64 fonts-wine
          xvfb xdotool imagemagick googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
