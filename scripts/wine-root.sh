#!/usr/bin/env bash
# Makes, once, the Debian 13 root in which Wine 10 runs every Windows
# program of the project: Debian 12's Wine never draws a window of another
# process inside the host, Wine 10 does. Made with debootstrap from
# Debian's own packages; a second call finds it ready and does nothing.
# Usage: wine-root.sh [ROOT]   (default build/wine10-root)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-$top/build/wine10-root}
[ -f "$target/.tessel-ready" ] && exit 0
# One maker at a time: a second call waits for the first, then finds the
# root ready.
mkdir -p "$(dirname "$target")"
exec 9>"$target.lock"
flock 9
[ -f "$target/.tessel-ready" ] && exit 0

# The mirror this machine's own apt sources name.
mirror=$(grep -hoE '^(URIs:|deb) +https?://[^ ]+/debian/?( |$)' \
           /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
         grep -oE 'https?://[^ ]+' | head -n 1 || true)
if [ -z "$mirror" ]; then
  echo "wine-root: no Debian mirror in /etc/apt/sources.list or /etc/apt/sources.list.d/*.sources;" >&2
  echo "wine-root: add the Debian mirror this machine may use to its apt sources, then run this again." >&2
  exit 1
fi
packages=wine,wine64,fonts-wine,xdotool,imagemagick,procps

started=$(date +%s)
# A root left half made by an interrupted run starts again from nothing.
# Its mounts lived in a namespace of their own and are gone with it.
if [ -e "$target" ]; then
  findmnt -rn -o TARGET | grep -q "^$target" && { echo "wine-root: $target is mounted" >&2; exit 1; }
  rm -rf "$target"
fi
mkdir -p "$target"
debootstrap --variant=minbase trixie "$target" "$mirror" >/dev/null
cp /etc/resolv.conf "$target/etc/resolv.conf"
unshare -m --propagation private bash -c '
  set -e
  mount -t proc proc "$1/proc"
  mount --rbind /dev "$1/dev"
  chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends $(echo "$2" | tr , " ") >/dev/null"
  chroot "$1" apt-get clean' _ "$target" "$packages"
touch "$target/.tessel-ready"
echo "Debian 13 with Wine $(chroot "$target" dpkg-query -W -f '${Version}' wine) made in $(( $(date +%s) - started )) s"
