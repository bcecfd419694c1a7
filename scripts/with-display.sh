#!/usr/bin/env bash
# Runs a command with Wine 10 from the project's Debian 13 root (made once
# by wine-root.sh), a Wine prefix kept in the build folder and, when there
# is no display, a private X server. Usage: with-display.sh COMMAND...
# TESSEL_WINEPREFIX names another prefix (a run beside a running one).
# The root's mounts live in a private mount namespace: they vanish with the
# command, so nothing stays mounted inside the build folder.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
wine_root="$root/build/wine10-root"
if [ -z "${TESSEL_WINE_ROOT:-}" ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo --preserve-env"
  $sudo "$root/scripts/wine-root.sh" "$wine_root"
  exec $sudo env TESSEL_WINE_ROOT="$wine_root" unshare -m --propagation private "$0" "$@"
fi
mount -t proc proc "$wine_root/proc"
mount --rbind /dev "$wine_root/dev"
mount --bind /tmp "$wine_root/tmp"
mkdir -p "$wine_root$root"
mount --bind "$root" "$wine_root$root"
export PATH="$root/scripts/wine10:$PATH"

export WINEPREFIX="${TESSEL_WINEPREFIX:-$root/build/mingw/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH

started_x=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  started_x=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  sleep 0.3
fi

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$started_x" ] && kill "$started_x" >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  # No window manager here: Wine draws captions and frames itself, and does
  # not wait for a manager to withdraw each closed window (2 s a window).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi
# One persistent server for the whole run keeps each program's start short.
wineserver -p >/dev/null 2>&1 || true
# The first program under a server starts Wine's own services, which live as
# long as the server and keep the standard handles they inherited: start
# them here on /dev/null, or a test runner waits on their open pipes forever.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

"$@"
