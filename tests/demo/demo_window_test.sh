#!/usr/bin/env bash
# The demo as a user runs it, on the X display named by DISPLAY: the window appears with its
# title, shows a white square on black, and Escape, the close button (WM_DELETE_WINDOW) and
# Alt+F4 each end the program with exit code 0. Without a reachable X server the test is
# skipped (exit 77); scripts/test starts one with xvfb-run when DISPLAY is not set.
#
# usage: demo_window_test.sh <slate binary> <x11_close_window binary> <assets folder> <output folder>
set -uo pipefail

slate=$1
closer=$2
assets=$3
out=$4
readonly skip=77
readonly title='Direct3D (DX9) - Slate'
readonly title_pattern='Direct3D \(DX9\) - Slate'

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "SKIP: no X server reachable (DISPLAY=${DISPLAY:-unset})"
  exit $skip
fi
for tool in xdotool import convert; do
  command -v $tool >/dev/null || { echo "FAIL: $tool is missing (bash scripts/setup installs it)"; exit 1; }
done
# The demo opens a real window on that display, not SDL's offscreen one.
unset SDL_VIDEODRIVER
mkdir -p "$out"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

pid=
start_demo() {
  (cd "$assets" && exec "$slate") &
  pid=$!
}

# Waits (at most 20 s) for the demo's window and prints its id.
find_window() {
  timeout 20 xdotool search --sync --all --pid "$pid" --name "$title_pattern" 2>/dev/null | head -n 1
}

# R,G,B of pixel (x, y) of an image, 0..255 each.
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# Takes screenshots of the window into $1 until its centre shows the square (at most 20 s: the
# first frames may not have reached the window yet). Returns 0 when it did.
shoot_square() {
  local shot=$1 id=$2 deadline=$((SECONDS + 20))
  while [ $SECONDS -lt $deadline ]; do
    if import -window "$id" "$shot" 2>/dev/null; then
      local w h
      read -r w h < <(convert "$shot" -format '%w %h' info:)
      [ "$(pixel "$shot" $((w / 2)) $((h / 2)))" = "255,255,255" ] && return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Waits (at most 20 s) for the demo to end and sets exit_code (in this shell: only it can wait
# for its child); kills the demo past that.
exit_code=
wait_exit() {
  local deadline=$((SECONDS + 20))
  while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null
    exit_code="none: still running after 20 s"
    return
  fi
  wait "$pid"
  exit_code=$?
}

# case <name> <how to close>: start, check the picture, close, check the exit code.
run_case() {
  local name=$1 close=$2
  start_demo
  local id
  id=$(find_window)
  if [ -z "$id" ]; then
    fail "$name: no window titled '$title' appeared"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return
  fi
  local shot="$out/slate_$name.png"
  if ! shoot_square "$shot" "$id"; then
    fail "$name: the window never showed the white square (last screenshot: $shot)"
  else
    local w h
    read -r w h < <(convert "$shot" -format '%w %h' info:)
    for corner in "2 2" "$((w - 3)) 2" "2 $((h - 3))" "$((w - 3)) $((h - 3))"; do
      # shellcheck disable=SC2086
      [ "$(pixel "$shot" $corner)" = "0,0,0" ] || fail "$name: corner ($corner) of the client area is not black"
    done
    # The square's height over the client area's: 1 / (4 tan(pi / 8)) = 0.604.
    local share
    share=$(convert "$shot" -crop "1x$h+$((w / 2))+0" -colorspace gray -format '%[fx:mean]' info:)
    awk -v s="$share" 'BEGIN { exit !(s > 0.59 && s < 0.62) }' ||
      fail "$name: the square takes $share of the height, not 0.604"
    echo "$name: window $id, client area ${w}x$h, square height $share of it, screenshot $shot"
  fi
  # The window may be gone before xdotool sends the key's release: its complaint is expected.
  case $close in
    escape)
      # Other keys are taken without effect; Escape quits.
      xdotool key --window "$id" a space
      shoot_square "$shot.after-keys.png" "$id" || fail "$name: the demo ended on a key other than Escape"
      xdotool key --window "$id" Escape 2>/dev/null ;;
    close-button) "$closer" "$id" || fail "$name: could not send WM_DELETE_WINDOW" ;;
    alt-f4) xdotool key --window "$id" alt+F4 2>/dev/null ;;
  esac
  wait_exit
  [ "$exit_code" = 0 ] || fail "$name: exit code $exit_code, expected 0"
  echo "$name: exit code $exit_code"
}

run_case escape escape
run_case close-button close-button
run_case alt-f4 alt-f4

# Without any video system the window can't be made: the message (shown on stderr where no
# display can show a box) and exit code 1.
message=$(cd "$assets" && env -u DISPLAY SDL_VIDEODRIVER=no-such-driver "$slate" 2>&1 >/dev/null)
code=$?
[ $code = 1 ] || fail "no video: exit code $code, expected 1"
case $message in
  *"Ошибка создания окна"*) echo "no video: \"$message\", exit code $code" ;;
  *) fail "no video: the message was \"$message\"" ;;
esac

if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all cases passed"
