#!/usr/bin/env bash
# The desktop window on a real X server (Xvfb, 1024x768, no window manager):
#  1. starts `quarnel www` (a relative folder) from a copy of the binary, so the hit log goes to
#     a temporary folder beside that copy;
#  2. waits for the window and checks its caption, size, centred place and, on a screenshot, the
#     pink of the drop label;
#  3. presses the start button with the X pointer, waits for the completion notice and checks
#     the hit log's exact bytes and that the results box shows text;
#  4. closes the window as its close box would, while the scan still waits at its notice, and
#     checks that the program ends at once, with status 0.
# Screenshots: OUTPUT_DIR/window.png (at start) and OUTPUT_DIR/window-after-scan.png.
#
#   tests/qt/x_check.sh QUARNEL_BINARY X_CLOSE_BINARY OUTPUT_DIR
set -euo pipefail
binary=$1
x_close=$2
out=$3
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "x_check: FAIL: $*" >&2
  [ -f "$work/quarnel.log" ] && sed 's/^/  quarnel: /' "$work/quarnel.log" >&2
  exit 1
}

# Xvfb picks a free display and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

mkdir -p "$work/bin" "$work/www/sub"
cp "$binary" "$work/bin/quarnel"
printf '<?php eval($_POST["x"]);' >"$work/www/shell.php"
printf 'nothing here' >"$work/www/clean.txt"
printf '@extract($_GET);' >"$work/www/sub/inc.php"
(cd "$work" && exec "$work/bin/quarnel" www) >"$work/quarnel.log" 2>&1 &
quarnel=$!
pids+=("$quarnel")

wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^Quarnel  -') || fail "no window"
name=$(xdotool getwindowname "$wid")
[[ $name == "Quarnel  -使用帮助联系"?* ]] || fail "caption '$name'"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "${WIDTH}x$HEIGHT" = 451x332 ] || fail "size ${WIDTH}x$HEIGHT"
[ "$X,$Y" = "$(((1024 - 457) / 2)),$(((768 - 357) / 2))" ] || fail "place $X,$Y"

# Cuts the window out of a screenshot of the whole screen.
shoot() {
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$1"
}
shoot "$out/window.png"
# Inside 标签2 (256,120 184x96), clear of its centred text.
pixel=$(convert "$out/window.png" -format '%[pixel:p{260,124}]' info:)
[ "$pixel" = "srgb(255,128,192)" ] || fail "drop label pixel $pixel"

# The start button (272,40 120x32).
xdotool mousemove --window "$wid" 332 56 click 1
notice=$(timeout 60 xdotool search --sync --onlyvisible --name '^信息：$') || fail "no notice"
expected="$work/expected_log"
printf '\r\n%s\r\n%s' "$work/www/shell.php" "$work/www/sub/inc.php" >"$expected"
cmp "$expected" "$work/bin/list_log.txt" >&2 || fail "log differs"

# Without a window manager the notice sits on the window: move it aside for the screenshot.
xdotool windowmove "$notice" 0 0
sleep 0.5
shoot "$out/window-after-scan.png"
# The results box (0,280 448x48) shows dark text.
dark=$(convert "$out/window-after-scan.png" -crop 448x48+0+280 +repage -colorspace gray \
  -format '%[fx:minima < 0.5 ? 1 : 0]' info:)
[ "$dark" = 1 ] || fail "results box shows nothing"

"$x_close" "$wid" || fail "x_close"
for _ in $(seq 100); do kill -0 "$quarnel" 2>/dev/null || break; sleep 0.1; done
kill -0 "$quarnel" 2>/dev/null && fail "still running 10 s after its window was closed"
status=0
wait "$quarnel" || status=$?
[ "$status" = 0 ] || fail "exit status $status"
cmp "$expected" "$work/bin/list_log.txt" >&2 || fail "log changed at the end"
echo "x_check: ok (window ${WIDTH}x$HEIGHT at $X,$Y on $DISPLAY; screenshots in $out)"
