#!/usr/bin/env bash
# Installs what building and testing Tessel needs on Debian, then makes the
# Debian 13 root with Wine 10 that runs the Windows programs (once); does
# nothing when everything is there already.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo

packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix xvfb imagemagick googletest
          debootstrap libx11-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
$sudo "$top/scripts/wine-root.sh" "$top/build/wine10-root"
