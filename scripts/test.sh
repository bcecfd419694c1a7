#!/usr/bin/env bash
# Builds everything and runs every test: the platform-free logic natively
# with AddressSanitizer and UndefinedBehaviorSanitizer, then the toolkit,
# the programs and their end-to-end tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
mkdir -p build
# The Wine root is made in the background: any password is asked for here.
[ "$(id -u)" -eq 0 ] || sudo -v
# The Wine 10 root, mostly downloads, is made while the other packages
# install and the programs build; then the tests' Wine prefix, which needs
# the X server from those packages (with-display.sh waits for the root).
# No background maker outlives a step that fails: each is ended with what
# it started.
end_tree() { local child; for child in $(pgrep -P "$1"); do end_tree "$child"; done; kill "$1" 2>/dev/null; }
makers=""
trap 'for pid in $makers; do end_tree "$pid"; done' EXIT
scripts/setup.sh root-maker
scripts/setup.sh root > build/wine-root.log 2>&1 &
root_maker=$!
makers="$root_maker"
scripts/setup.sh packages
echo "Packages: $(( $(date +%s) - started )) s"
scripts/with-display.sh true > build/wine-setup.log 2>&1 &
prefix_maker=$!
makers="$makers $prefix_maker"

scripts/check-sources.sh
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

# Without GoogleTest the programs still configure, and say the tests are off.
cmake -S . -B build/no-gtest -G Ninja --toolchain cmake/mingw-w64.cmake \
      -DTESSEL_GTEST_SOURCE=/nonexistent | grep "Tests are off"

cmake --preset mingw >/dev/null
cmake --build --preset mingw
wait $root_maker || true  # a failure shows in the second maker's log
makers="$prefix_maker"
cat build/wine-root.log
wait $prefix_maker || { makers=""; cat build/wine-setup.log; echo "The Wine 10 root or the tests' prefix could not be made"; exit 1; }
makers=""
echo "Set-up and builds: $(( $(date +%s) - started )) s"
scripts/with-display.sh ctest --preset mingw
