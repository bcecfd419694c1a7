#!/usr/bin/env bash
# Builds Tessel and its add-ons and starts it under Wine. Without a display
# it runs on a private X server for a few seconds, saves a screenshot to
# build/mingw/tessel.png and closes it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target programs

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/with-display.sh wine build/mingw/bin/Tessel.exe
fi
scripts/with-display.sh bash -c '
  wine build/mingw/bin/Tessel.exe & host=$!
  sleep "${TESSEL_SHOW_SECONDS:-6}"
  import -window root build/mingw/tessel.png
  echo "Screenshot: build/mingw/tessel.png"
  wine cmd /c "exit" >/dev/null 2>&1
  xdotool search --name "^Split$" windowactivate --sync key --clearmodifiers alt+F4 >/dev/null 2>&1 || true
  wait $host; echo "Tessel exited with code $?"'
