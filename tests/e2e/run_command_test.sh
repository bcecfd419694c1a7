#!/usr/bin/env bash
# The README's run command, as a new user without a display runs it: it
# must end by itself within 60 s, with Tessel's exit code 0 and a
# screenshot written. It runs in a Wine prefix of its own so that it can
# neither disturb nor be disturbed by the test run around it.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
shot="$root/build/mingw/tessel.png"
rm -f "$shot"
started=$(date +%s)
output=$(env -u DISPLAY TESSEL_WINEPREFIX="$root/build/mingw/run-prefix" \
         timeout 60 "$root/scripts/run.sh" 2>&1)
code=$?
elapsed=$(( $(date +%s) - started ))
printf '%s\n' "$output" | tail -n 3
echo "run.sh ended with $code after ${elapsed} s"
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code (124 = still running after 60 s)"; exit 1; }
printf '%s\n' "$output" | grep -qx "Tessel exited with code 0" || { echo "FAIL: no exit code 0 reported"; exit 1; }
[ -s "$shot" ] || { echo "FAIL: no screenshot"; exit 1; }
echo "PASS"
