#!/usr/bin/env bash
# Takes docs/window-wine.png: quarnel.exe (from scripts/build-windows.sh) under Wine on Xvfb, with
# code page 936 and a font that has Latin and Chinese glyphs for Wine's fallback.
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD
scripts/build-windows.sh >/dev/null
scripts/deps.sh windows windows-screenshot

state=$root_dir/build-win/screenshot
rm -rf "$state"
mkdir -p "$state/home"
localedef -i zh_CN -f UTF-8 "$state/zh_CN.UTF-8"
export HOME=$state/home WINEPREFIX=$state/prefix WINEDEBUG=-all LOCPATH=$state LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

display=:121
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
wineboot -i >/dev/null 2>&1
wineserver -w
# Wine draws the frame itself: no window manager runs.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w

cp out/windows/quarnel.exe "$state/"
wine "$state/quarnel.exe" >/dev/null 2>&1 &
sleep 6
# The window is centred: (1024 - 457) / 2, (768 - 357) / 2.
import -window root -crop 457x357+283+205 +repage docs/window-wine.png
echo "docs/window-wine.png"
