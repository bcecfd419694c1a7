#!/usr/bin/env bash
# The programs at 120, 144, 168 and 192 DPI: for each, a Wine prefix of
# that DPI (made once in the build folder, from the test run's own prefix),
# in which the add-on's labels must fit their controls, every window must
# open wholly on the test display's 1920x1080 screen and "Split"'s panes
# must tile it to the pixel; from 168 DPI on, where "Split" is made smaller
# to fit that screen, they must also tile it at its full size on a
# 3840x2160 screen of its own. Runs inside with-display.sh.
# Usage: high_dpi_test.sh TESTS_FOLDER
set -uo pipefail
set -f  # the tests' filters hold '*', never a file pattern here
tests=$1
failed=0
large=""
cleanup() { [ -n "$large" ] && kill "$large" >/dev/null 2>&1; }
trap cleanup EXIT

# A second X server, for the largest "Split"s, started once in this shell
# (never in a subshell, which would keep its process from the trap above).
start_large_display() {
  [ -n "$large" ] && return
  for n in $(seq 141 190); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { large_name=":$n"; break; }
  done
  Xvfb "$large_name" -screen 0 3840x2160x24 -nolisten tcp >/dev/null 2>&1 &
  large=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${large_name#:}" ] && break; sleep 0.1; done
}

# Runs test programs in the prefix on a display, one after another under
# one Wine server, its services started first: each argument is a program
# and its options, split on blanks.
run_in() {
  local prefix=$1 display=$2; shift 2
  DISPLAY="$display" WINEPREFIX="$prefix" wineserver -p >/dev/null 2>&1 || true
  DISPLAY="$display" WINEPREFIX="$prefix" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  for command in "$@"; do
    DISPLAY="$display" WINEPREFIX="$prefix" wine $command </dev/null || failed=1
  done
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
}

for dpi in 120 144 168 192; do
  prefix="$WINEPREFIX-dpi$dpi"
  if [ ! -f "$prefix/.tessel-dpi" ]; then
    rm -rf "$prefix"
    cp -a "$WINEPREFIX" "$prefix"
    hex=$(printf '%08x' "$dpi")
    printf 'REGEDIT4\n\n[%s]\n"LogPixels"=dword:%s\n\n[%s]\n"LogPixels"=dword:%s\n' \
      'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' "$hex" \
      'HKEY_CURRENT_USER\Control Panel\Desktop' "$hex" > "$prefix/dpi.reg"
    WINEPREFIX="$prefix" wine regedit /S "$prefix/dpi.reg" >/dev/null 2>&1 </dev/null
    WINEPREFIX="$prefix" wineserver -w
    # Marked as made only once the DPI reads back: a prefix left at 96 DPI
    # would pass every check here without testing anything.
    if WINEPREFIX="$prefix" wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels </dev/null 2>/dev/null |
         tr -d '\r' | grep -qi "0x$(printf '%x' "$dpi")\$"; then
      touch "$prefix/.tessel-dpi"
    else
      echo "The Wine prefix for $dpi DPI could not be set up"; failed=1; continue
    fi
    WINEPREFIX="$prefix" wineserver -w
  fi
  echo "== $dpi DPI"
  labels="$tests/gadget_tests.exe --gtest_brief=1 --gtest_filter=AddonWindow.EveryLabel*"
  run_in "$prefix" "$DISPLAY" "$labels" "$tests/host_tests.exe --gtest_brief=1 --gtest_filter=HighDpi.*"
  if [ "$dpi" -ge 168 ]; then
    start_large_display
    run_in "$prefix" "$large_name" "$tests/host_tests.exe --gtest_brief=1 --gtest_filter=HighDpi.ThePanes*"
  fi
done
[ $failed -eq 0 ] && echo "PASS"
exit $failed
