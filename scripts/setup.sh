#!/usr/bin/env bash
# Installs what building and testing Tessel needs on Debian, then makes the
# Debian 13 root with Wine 10 that runs the Windows programs (once); does
# nothing when everything is there already.
# Usage: setup.sh [root-maker|packages|root]   (that part alone; all without)
#   root-maker: debootstrap alone, so that the root can be made while the
#   other packages install
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo

# Installs those of the named packages that are missing.
install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix xvfb imagemagick googletest
          debootstrap libx11-dev)
make_wine_root() { $sudo "$top/scripts/wine-root.sh" "$top/build/wine10-root"; }

case "${1:-}" in
  root-maker) install_packages debootstrap ;;
  packages) install_packages "${packages[@]}" ;;
  root) make_wine_root ;;
  *) install_packages "${packages[@]}"; make_wine_root ;;
esac
