#!/usr/bin/env bash
# Builds everything and runs every test: the plain build, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer. The desktop window's tests run on Qt's
# offscreen platform and, for the real X check, under Xvfb. Last, the Windows edition is
# cross-built and its tests run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/deps.sh base qt

echo "== build and test =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARNEL_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Windows edition (mingw-w64, under Wine) =="
scripts/test-windows.sh
