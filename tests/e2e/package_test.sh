#!/usr/bin/env bash
# What a Windows user gets, run from where it lands: the programs installed
# into a prefix, and the zip unpacked into a folder whose path has a blank
# and a letter beyond ASCII. Each must embed all three add-ons and close
# with 0, every program must carry the project's version, and the zip must
# hold the four programs and the README, nothing else.
# Usage: package_test.sh BUILD_DIR EMBED_CHECK.EXE VERSION
set -euo pipefail
build=$1 check=$2 version=$3
work=$(mktemp -d "$build/package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
run_from() { LC_ALL=C.UTF-8 wine "$check" "Z:${1//\//\\}" "$version" </dev/null; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
run_from "$work/prefix"
[ "$(find "$work/prefix" -type f | wc -l)" -eq 5 ] || { echo "FAIL: the install holds more than five files"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/zip" >/dev/null
zip="$work/zip/Tessel-$version-win64.zip"
top="Tessel-$version-win64"
entries=$(cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ')
wanted="$top/Addon/Cobaltpane.exe $top/Addon/Emberpane.exe $top/Addon/Saffronpane.exe $top/README.md $top/Tessel.exe "
[ "$entries" = "$wanted" ] || { echo "FAIL: the zip holds: $entries"; exit 1; }
unpacked="$work/Programmes für Windows"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
run_from "$unpacked/$top"
echo "PASS"
