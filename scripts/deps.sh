#!/usr/bin/env bash
# Installs the Debian packages that a build needs, and nothing when they are already there.
#   scripts/deps.sh base      compiler, CMake, Ninja, GoogleTest, Vectorscan (the engine and
#                             quarnel-scan)
#   scripts/deps.sh qt        Qt 6 Widgets, Xvfb, X tools, Xlib and a font with Chinese
#                             glyphs (the desktop window)
#   scripts/deps.sh windows   mingw-w64 and Wine (the Windows edition and its tests)
#   scripts/deps.sh windows-build   mingw-w64 alone (building the Windows edition)
#   scripts/deps.sh windows-screenshot   ImageMagick and a Chinese font (its screenshot)
#   scripts/deps.sh bench     ripgrep, hyperfine, Google Benchmark, jq (the benchmark)
set -euo pipefail

packages=()
for group in "$@"; do
  case "$group" in
    base) packages+=(g++ cmake ninja-build libgtest-dev libgmock-dev pkg-config libvectorscan-dev) ;;
    qt) packages+=(qt6-base-dev xvfb xdotool x11-utils imagemagick xauth libx11-dev fonts-droid-fallback) ;;
    windows) packages+=(mingw-w64 wine wine64 googletest xvfb locales) ;;
    windows-build) packages+=(cmake ninja-build mingw-w64) ;;
    windows-screenshot) packages+=(imagemagick fonts-wqy-microhei) ;;
    bench) packages+=(ripgrep hyperfine libbenchmark-dev time jq) ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
