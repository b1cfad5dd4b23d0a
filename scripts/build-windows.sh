#!/usr/bin/env bash
# Builds the Windows edition with mingw-w64: out/windows/quarnel.exe (the window) and
# out/windows/quarnel-scan.exe (the terminal scanner), statically linked, no DLL to ship.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-win
out=out/windows

scripts/deps.sh windows-build

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}"

mkdir -p "$out"
for exe in "$build/app/win32/quarnel.exe" "$build/app/quarnel-scan.exe"; do
  x86_64-w64-mingw32-strip -o "$out/$(basename "$exe")" "$exe"
done
ls -l "$out"
