#!/usr/bin/env bash
# Builds everything and runs every test: the platform-free logic natively
# with AddressSanitizer and UndefinedBehaviorSanitizer, then the toolkit,
# the programs and their end-to-end tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
scripts/setup.sh
echo "Set-up (packages and the Wine 10 root): $(( $(date +%s) - started )) s"

scripts/check-sources.sh
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

# Without GoogleTest the programs still configure, and say the tests are off.
cmake -S . -B build/no-gtest -G Ninja --toolchain cmake/mingw-w64.cmake \
      -DTESSEL_GTEST_SOURCE=/nonexistent | grep "Tests are off"

cmake --preset mingw >/dev/null
cmake --build --preset mingw
scripts/with-display.sh ctest --preset mingw
