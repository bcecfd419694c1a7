#!/usr/bin/env bash
# Builds Tessel and its add-ons and starts it under Wine. With a display it
# runs until "Split" is closed. Without one it runs on a private X server
# for a few seconds, saves a screenshot to build/mingw/tessel.png, asks
# "Split" to close as a user's close would, and ends with Tessel's exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target programs close_window

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/with-display.sh wine build/mingw/bin/Tessel.exe
fi
scripts/with-display.sh bash -c '
  wine build/mingw/bin/Tessel.exe & host=$!
  sleep "${TESSEL_SHOW_SECONDS:-6}"
  import -window root build/mingw/tessel.png
  echo "Screenshot: build/mingw/tessel.png"
  # No window manager here to deliver a close: ask the window itself.
  wine build/mingw/bin/close_window.exe Split
  code=0; wait $host || code=$?
  echo "Tessel exited with code $code"
  exit $code'
