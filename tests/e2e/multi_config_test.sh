#!/usr/bin/env bash
# A multi-configuration build (Ninja Multi-Config, as Visual Studio lays its
# folders out) with the cross compiler: each configuration's host must find
# its add-ons in Addon\ beside it. Builds the Release programs and has them
# run, embedding all three. Usage: multi_config_test.sh EMBED_CHECK.EXE
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/multi"
cmake -S "$root" -B "$build" -G "Ninja Multi-Config" --toolchain "$root/cmake/mingw-w64.cmake" \
      -DBUILD_TESTING=OFF -DCMAKE_CONFIGURATION_TYPES="Release;Debug" >/dev/null
cmake --build "$build" --config Release --target programs >/dev/null
for program in Tessel Addon/Cobaltpane Addon/Emberpane Addon/Saffronpane; do
  [ -f "$build/bin/Release/$program.exe" ] || { echo "FAIL: no bin/Release/$program.exe"; exit 1; }
done
# Release programs carry no symbol table.
for program in Tessel Addon/Cobaltpane Addon/Emberpane Addon/Saffronpane; do
  x86_64-w64-mingw32-nm "$build/bin/Release/$program.exe" 2>&1 | grep -q 'no symbols' ||
    { echo "FAIL: bin/Release/$program.exe keeps its symbols"; exit 1; }
done
# The Debug folders are laid out the same way, without building them.
grep -q 'bin/Debug/Addon/Cobaltpane.exe' "$build/build-Debug.ninja" ||
  { echo "FAIL: Debug add-ons are not in bin/Debug/Addon"; exit 1; }
release="$build/bin/Release"
wine "$1" "Z:${release//\//\\}" </dev/null
echo "PASS"
