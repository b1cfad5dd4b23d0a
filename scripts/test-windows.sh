#!/usr/bin/env bash
# Cross-builds the Windows edition with its tests (build-win-tests/) and runs them under Wine:
# code page 936 (a Chinese locale), a fresh Wine prefix per run, the window tests on Xvfb.
# As root the tests run without the capability to override file permissions: Wine run by root
# would write read-only files, which the tests of the read-only log need refused.
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD
build=$root_dir/build-win-tests
jobs=${JOBS:-$(nproc)}

scripts/deps.sh base windows

echo "== Windows build (mingw-w64) =="
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUARNEL_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"

echo "== Windows tests under Wine =="
start=$(date +%s)
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  run_as=(setpriv --bounding-set -dac_override,-dac_read_search)
fi

# A private copy of the locale, so that nothing on the machine changes.
if [ ! -d "$build/locale/zh_CN.UTF-8" ]; then
  mkdir -p "$build/locale"
  localedef -i zh_CN -f UTF-8 "$build/locale/zh_CN.UTF-8"
fi

# Everything Wine writes lives here, made afresh for every run.
state=$build/wine-run
rm -rf "$state"
mkdir -p "$state/home" "$state/drive-q" "$state/drive-r/loop"
# A link from a folder back to itself: a walk without a cycle check goes down it level after level.
ln -s . "$state/drive-r/loop/up"

export HOME=$state/home
export WINEPREFIX=$state/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="  # no Mono/Gecko prompts, no menus
export LOCPATH=$build/locale
export LC_ALL=zh_CN.UTF-8
unset LANGUAGE

display=""
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "test-windows.sh: no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
  "${run_as[@]}" wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY=$display

"${run_as[@]}" wineboot -i >/dev/null 2>&1
# No window manager runs: unmanaged windows spare Wine its wait for one at every hide.
"${run_as[@]}" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"${run_as[@]}" wineserver -w
ln -s "$state/drive-q" "$WINEPREFIX/dosdevices/q:"
ln -s "$state/drive-r" "$WINEPREFIX/dosdevices/r:"
echo "Wine prefix ready in $(( $(date +%s) - start )) s"

export QUARNEL_TEST_DRIVE="Q:"
export QUARNEL_TEST_LINK_CYCLE='R:\loop'
status=0
for suite in win32_engine_tests win32_window_tests; do
  exe=$build/tests/win32/$suite.exe
  [ -e "$exe" ] || continue
  echo "-- $suite"
  "${run_as[@]}" wine "$exe" --gtest_brief=1 "$@" || status=1
done
echo "Windows tests took $(( $(date +%s) - start )) s under Wine"
exit $status
