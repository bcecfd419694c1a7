#!/usr/bin/env bash
# The programs at 120, 144 and 192 DPI: for each, a Wine prefix of that
# DPI (made once in the build folder, from the test run's own prefix), in
# which the add-on's labels must fit their controls; at 144 DPI "Split"
# must also show its panes scaled and drawn (at 192 DPI it outgrows the
# test display's 1080 rows). Runs inside with-display.sh.
# Usage: high_dpi_test.sh TESTS_FOLDER
set -uo pipefail
tests=$1
failed=0
for dpi in 120 144 192; do
  prefix="$WINEPREFIX-dpi$dpi"
  if [ ! -f "$prefix/.tessel-dpi" ]; then
    rm -rf "$prefix"
    cp -a "$WINEPREFIX" "$prefix"
    for key in 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
               'HKCU\Control Panel\Desktop'; do
      WINEPREFIX="$prefix" wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
    done
    WINEPREFIX="$prefix" wineserver -w
    touch "$prefix/.tessel-dpi"
  fi
  WINEPREFIX="$prefix" wineserver -p >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "== $dpi DPI"
  WINEPREFIX="$prefix" wine "$tests/gadget_tests.exe" --gtest_brief=1 \
    --gtest_filter='AddonWindow.EveryLabel*' </dev/null || failed=1
  [ "$dpi" -ne 144 ] || WINEPREFIX="$prefix" wine "$tests/host_tests.exe" --gtest_brief=1 \
    --gtest_filter='HighDpi.*' </dev/null || failed=1
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
done
[ $failed -eq 0 ] && echo "PASS"
exit $failed
