#!/usr/bin/env bash
# The demo as a user runs it, on the X display named by DISPLAY: the window appears with its
# title, shows a square on black - white in a folder without "mud.jpg", the mud texture in the
# demo's assets folder - and Escape, the close button (WM_DELETE_WINDOW) and Alt+F4 each end the
# program with exit code 0. Without a reachable X server the test is skipped (exit 77);
# scripts/test starts one with xvfb-run when DISPLAY is not set.
#
# usage: demo_window_test.sh <slate binary> <x11_close_window binary> <folder without mud.jpg>
#                            <output folder> <folder with mud.jpg>
set -uo pipefail

slate=$1
closer=$2
no_texture=$3
out=$4
textured=$5
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

# start_demo <working folder>
pid=
start_demo() {
  (cd "$1" && exec "$slate") &
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

# Whether a colour "R,G,B" is what the centre of the square shows: white for the untextured
# square; for the textured one, neither white nor the black around it.
square_colour() {
  case $2 in
    white) [ "$1" = "255,255,255" ] ;;
    textured) [ "$1" != "255,255,255" ] && [ "$1" != "0,0,0" ] ;;
  esac
}

# shoot_square <file> <window> <white|textured>: takes screenshots of the window into the file
# until its centre shows the square (at most 20 s: the first frames may not have reached the
# window yet). Returns 0 when it did.
shoot_square() {
  local shot=$1 id=$2 kind=$3 deadline=$((SECONDS + 20))
  while [ $SECONDS -lt $deadline ]; do
    if import -window "$id" "$shot" 2>/dev/null; then
      local w h
      read -r w h < <(convert "$shot" -format '%w %h' info:)
      square_colour "$(pixel "$shot" $((w / 2)) $((h / 2)))" "$kind" && return 0
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

# Mean and standard deviation of each channel of an image (or of a part: convert's -crop
# geometry), 0..1, as "mean_r mean_g mean_b sd_r sd_g sd_b".
channel_statistics() {
  local crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
  convert "$1" "${crop[@]}" -format \
    '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b] %[fx:standard_deviation.r] %[fx:standard_deviation.g] %[fx:standard_deviation.b]' \
    info:
}

# The textured square in a screenshot of w x h: it shows mud.jpg, not white. Inside the square's
# middle (the middle 80% of its side of 0.604 h) each channel's mean is that of mud.jpg within
# 0.03 (the middle shows most of the texture), and each channel varies with a standard deviation
# of at least 0.6 of mud.jpg's (the texture is shown at about half its size and bilinearly
# filtered, which smooths it a little) where a flat colour would have none; no pixel there is
# white.
check_texture() {
  local name=$1 shot=$2 w=$3 h=$4
  local side=$((h * 604 * 8 / 10000))
  local inside="${side}x$side+$(((w - side) / 2))+$(((h - side) / 2))"
  local -a got want
  read -r -a got < <(channel_statistics "$shot" "$inside")
  read -r -a want < <(channel_statistics "$textured/mud.jpg")
  local white
  white=$(convert "$shot" -crop "$inside" +repage -fill black +opaque white -colorspace gray -format '%[fx:mean]' info:)
  echo "$name: inside $inside, mean RGB ${got[0]} ${got[1]} ${got[2]}, deviation ${got[3]} ${got[4]} ${got[5]};" \
    "mud.jpg: mean ${want[0]} ${want[1]} ${want[2]}, deviation ${want[3]} ${want[4]} ${want[5]}; white share $white"
  local c
  for c in 0 1 2; do
    awk -v g="${got[$c]}" -v m="${want[$c]}" 'BEGIN { d = g - m; exit !(d < 0.03 && d > -0.03) }' ||
      fail "$name: channel $c inside the square has mean ${got[$c]}, mud.jpg ${want[$c]}"
    awk -v g="${got[$((c + 3))]}" -v m="${want[$((c + 3))]}" 'BEGIN { exit !(g >= 0.6 * m && g > 0.02) }' ||
      fail "$name: channel $c inside the square varies by ${got[$((c + 3))]}, mud.jpg by ${want[$((c + 3))]}"
  done
  awk -v s="$white" 'BEGIN { exit !(s == 0) }' || fail "$name: $white of the square's middle is white"
}

# run_case <name> <how to close> [textured]: start, check the picture, close, check the exit code.
run_case() {
  local name=$1 close=$2 kind=${3:-white}
  local folder=$no_texture
  [ "$kind" = textured ] && folder=$textured
  start_demo "$folder"
  local id
  id=$(find_window)
  if [ -z "$id" ]; then
    fail "$name: no window titled '$title' appeared"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return
  fi
  local shot="$out/slate_$name.png"
  if ! shoot_square "$shot" "$id" "$kind"; then
    fail "$name: the window never showed the $kind square (last screenshot: $shot)"
  else
    local w h
    read -r w h < <(convert "$shot" -format '%w %h' info:)
    for corner in "2 2" "$((w - 3)) 2" "2 $((h - 3))" "$((w - 3)) $((h - 3))"; do
      # shellcheck disable=SC2086
      [ "$(pixel "$shot" $corner)" = "0,0,0" ] || fail "$name: corner ($corner) of the client area is not black"
    done
    # The square's height over the client area's: 1 / (4 tan(pi / 8)) = 0.604. Everything not
    # black counts as the square.
    local share
    share=$(convert "$shot" -crop "1x$h+$((w / 2))+0" +repage -fill white +opaque black -colorspace gray \
      -format '%[fx:mean]' info:)
    awk -v s="$share" 'BEGIN { exit !(s > 0.59 && s < 0.62) }' ||
      fail "$name: the square takes $share of the height, not 0.604"
    echo "$name: window $id, client area ${w}x$h, square height $share of it, screenshot $shot"
    [ "$kind" = textured ] && check_texture "$name" "$shot" "$w" "$h"
  fi
  # The window may be gone before xdotool sends the key's release: its complaint is expected.
  case $close in
    escape)
      # Other keys are taken without effect; Escape quits.
      xdotool key --window "$id" a space
      shoot_square "$shot.after-keys.png" "$id" "$kind" || fail "$name: the demo ended on a key other than Escape"
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
# Where mud.jpg resolves, the same window shows it on the square.
run_case textured escape textured

# Without any video system the window can't be made: the message (shown on stderr where no
# display can show a box) and exit code 1.
message=$(cd "$no_texture" && env -u DISPLAY SDL_VIDEODRIVER=no-such-driver "$slate" 2>&1 >/dev/null)
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
