#!/usr/bin/env bash
# Runs the real program on a copy of itself and its data in a temporary folder, under its own
# Xvfb display, driven by xdotool.
#   program_e2e.sh <case> <pellora binary> <pellora_data folder> <pellora_tga_check>
# Cases:
#   screenshot-and-escape  F8 writes qvt00.tga (640x480, 24-bit, not one colour); Escape ends
#                          the program with status 0.
#   damaged-archive        one changed byte in an archive: status 255, and no display is even
#                          opened (the same copy without any display still gives 255).
#   no-display             without a display the program names the cause on stderr and fails.
#   fire-a-ball            with the pointer over the field, left clicks fire a ball: a later
#                          screenshot whose field has come to rest differs from the one taken
#                          before the clicks; Escape still ends the program with status 0.
# A missing Xvfb or xdotool is a failure, never a skip.
set -u

test_case=$1
binary=$2
data=$3
tga_check=$4

fail() {
  echo "FAIL ($test_case): $*" >&2
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/pellora-e2e.XXXXXX") || fail "no temporary folder"
xvfb_pid=""
program_pid=""
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Polls a command every 0.1 s until it succeeds or the seconds run out.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 10))
  while ((tries > 0)); do
    "$@" && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

install_copy() {
  local folder=$1
  mkdir -p "$folder" || fail "cannot make $folder"
  cp "$binary" "$folder/pellora" || fail "cannot copy the program"
  cp -r "$data" "$folder/pellora_data" || fail "cannot copy the data"
}

# start_display [screen]: the screen is 1024x768x24 unless given.
start_display() {
  local screen=${1:-1024x768x24}
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  command -v xdotool >/dev/null || fail "xdotool is not installed"
  local display_file="$work/display"
  : >"$display_file"
  # Xvfb picks a free display number and writes it once it accepts clients.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$display_file" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  wait_for 20 test -s "$display_file" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$display_file")"
  unset WAYLAND_DISPLAY
}

program_window() {
  xdotool search --onlyvisible --name '^Pellora$' 2>/dev/null | head -n1
}

window_has_focus() {
  [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]
}

# Looks the window up and asks for the focus again on every try: a request sent while the
# window is still being mapped is lost on a busy machine, and the renderer may replace the
# first window it made. Sets window.
focus_program_window() {
  window=$(program_window)
  [[ -n "$window" ]] || return 1
  xdotool windowfocus "$window" 2>/dev/null
  window_has_focus "$window"
}

has_window() {
  [[ -n "$(program_window)" ]]
}

is_full_screenshot() {
  [[ -f "$1" ]] && (($(stat -c %s "$1") >= 921618))
}

program_ended() {
  ! kill -0 "$program_pid" 2>/dev/null
}

start_program() {
  env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$work/game/pellora" >"$work/out.log" 2>&1 &
  program_pid=$!
  wait_for 30 has_window || fail "no window named Pellora appeared; output: $(cat "$work/out.log")"
  wait_for 30 focus_program_window || fail "the window did not get the keyboard focus"
}

quit_with_escape() {
  xdotool key Escape
  wait_for 30 program_ended || fail "Escape did not end the program"
  wait "$program_pid"
  local status=$?
  program_pid=""
  ((status == 0)) || fail "Escape ended the program with status $status; output: $(cat "$work/out.log")"
}

# take_screenshot <destination>: presses F8 (again every two seconds, since keys sent while
# SDL is still taking over the focus are dropped) until qvt00.tga is complete, then moves it.
take_screenshot() {
  local shot="$work/game/qvt00.tga"
  rm -f "$shot"
  for attempt in $(seq 10); do
    xdotool key F8
    if wait_for 2 is_full_screenshot "$shot"; then
      mv "$shot" "$1"
      return 0
    fi
  done
  return 1
}

# The picture is 640x480, scaled to fit the window and centred in it; this moves the
# pointer to picture pixel (x, y).
move_pointer_to_picture() {
  local x=$1 y=$2 WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')"
  local picture_width=$WIDTH picture_height=$HEIGHT
  if ((WIDTH * 480 > HEIGHT * 640)); then
    picture_width=$((HEIGHT * 640 / 480))
  else
    picture_height=$((WIDTH * 480 / 640))
  fi
  xdotool mousemove --window "$window" \
    $(((WIDTH - picture_width) / 2 + x * picture_width / 640)) \
    $(((HEIGHT - picture_height) / 2 + y * picture_height / 480))
}

# A click the program sees: the button stays down for several update steps.
click_left() {
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
}

# field_differs <first> <second> <min>: true when at least min pixels of the field (where the
# balls hang and a shot flies; the launcher and the next ball are below it) differ. A file
# that is no proper screenshot fails the test.
field_differs() {
  "$tga_check" --differ "$1" "$2" 160 32 480 360 "$3" >/dev/null
  local status=$?
  ((status <= 1)) || fail "cannot compare $1 and $2"
  return $status
}

# settled_screenshot <destination>: screenshots until two in a row show the same field.
settled_screenshot() {
  local previous="$work/settle0.tga" current
  take_screenshot "$previous" || return 1
  for attempt in $(seq 30); do
    current="$work/settle$attempt.tga"
    take_screenshot "$current" || return 1
    if ! field_differs "$previous" "$current" 1; then
      mv "$current" "$1"
      return 0
    fi
    previous=$current
    sleep 0.2
  done
  return 1
}

case "$test_case" in
  screenshot-and-escape)
    start_display
    install_copy "$work/game"
    start_program
    # Keys sent while SDL is still taking over the focus are dropped, so F8 is pressed once a
    # second until a screenshot arrives; one taken before the first picture was drawn is one
    # colour only, so F8 is pressed again until the picture is there.
    shot="$work/game/qvt00.tga"
    for attempt in $(seq 30); do
      rm -f "$shot"
      xdotool key F8
      wait_for 1 is_full_screenshot "$shot" && "$tga_check" "$shot" 640 480 2>/dev/null && break
    done
    is_full_screenshot "$shot" || fail "F8 wrote no qvt00.tga; output: $(cat "$work/out.log")"
    "$tga_check" "$shot" 640 480 || fail "qvt00.tga is not a proper screenshot"
    quit_with_escape
    ;;
  fire-a-ball)
    # A screen of the picture's size: the full-screen window then shows the picture 1:1.
    start_display 640x480x24
    install_copy "$work/game"
    start_program
    # Aim straight up from the launcher, into the middle of the field.
    move_pointer_to_picture 320 220
    settled_screenshot "$work/before.tga" || fail "no two screenshots in a row showed the same field; output: $(cat "$work/out.log")"
    "$tga_check" "$work/before.tga" 640 480 || fail "the first screenshot is not a proper screenshot"
    # A landed ball changes at least a few hundred pixels of the field; the field has come
    # to rest when two screenshots in a row show the same field. A click that went unseen
    # (the field stays as before) is repeated.
    click_left
    deadline=$((SECONDS + 90))
    previous=""
    unchanged=0
    shots=0
    landed=""
    while ((SECONDS < deadline)); do
      shots=$((shots + 1))
      current="$work/after$shots.tga"
      take_screenshot "$current" || fail "F8 wrote no screenshot after the clicks"
      if field_differs "$work/before.tga" "$current" 200; then
        unchanged=0
        if [[ -n "$previous" ]] && ! field_differs "$previous" "$current" 1; then
          landed=$current
          break
        fi
      else
        unchanged=$((unchanged + 1))
        if ((unchanged >= 3)); then
          click_left
          unchanged=0
        fi
      fi
      previous=$current
      sleep 0.2
    done
    [[ -n "$landed" ]] || fail "no fired ball came to rest in the field within 90 s ($shots screenshots)"
    "$tga_check" "$landed" 640 480 || fail "the screenshot after the shot is not a proper screenshot"
    quit_with_escape
    ;;
  damaged-archive)
    install_copy "$work/damaged"
    archive="$work/damaged/pellora_data/gfx.nuf"
    [[ -s "$archive" ]] || fail "no gfx.nuf in $data"
    offset=$(($(stat -c %s "$archive") / 2))
    old=$(od -An -tu1 -j "$offset" -N1 "$archive" | tr -d ' ')
    printf "$(printf '\\%03o' $(((old + 1) % 256)))" | dd of="$archive" bs=1 seek="$offset" conv=notrunc status=none
    cmp -s "$archive" "$data/gfx.nuf" && fail "the archive was not changed"
    # Without any display: 255 shows the check ran before a window was even tried.
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
      timeout 30 "$work/damaged/pellora" >"$work/out.log" 2>&1
    status=$?
    ((status == 255)) || fail "without a display the damaged copy gave status $status"
    start_display
    env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$work/damaged/pellora" >"$work/out.log" 2>&1 &
    program_pid=$!
    wait_for 30 program_ended || fail "the damaged copy did not stop"
    wait "$program_pid"
    status=$?
    program_pid=""
    ((status == 255)) || fail "the damaged copy gave status $status, expected 255"
    has_window && fail "a window appeared for the damaged copy"
    ls "$work/damaged"/qvt*.tga >/dev/null 2>&1 && fail "the damaged copy wrote a screenshot"
    ;;
  no-display)
    install_copy "$work/game"
    # SDL would fall back to a video driver that draws nowhere; the program must refuse it.
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
      timeout 30 "$work/game/pellora" >"$work/out.log" 2>"$work/err.log"
    status=$?
    ((status != 124)) || fail "the program kept running without a display"
    ((status != 0)) || fail "the program succeeded without a display"
    grep -q "display" "$work/err.log" || fail "stderr does not name the missing display: $(cat "$work/err.log")"
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "PASS ($test_case)"
