#!/usr/bin/env bash
# Runs the real program on a copy of itself and its data in a temporary folder, under its own
# Xvfb display, driven by xdotool.
#   program_e2e.sh <case> <pellora binary> <pellora_data folder> <pellora_tga_check> [version]
# Cases:
#   screenshot-and-escape  F8 writes qvt00.tga (640x480, 24-bit, not one colour once the intro
#                          has faded in); Escape ends the program with status 0.
#   damaged-archive        one changed byte in an archive: status 255, and no display is even
#                          opened (the same copy without any display still gives 255).
#   no-display             without a display the program names the cause on stderr and fails.
#   command-line           --help and --version answer on stdout with status 0, an unknown
#                          option prints the usage on stderr with status 2; --window starts in a
#                          640x480 window, --fullscreen (the last of the two wins) full screen.
#   installed              cmake --install into a scratch prefix: the program, archives, icons,
#                          desktop entry, metainfo and man page are in place; one user (with
#                          XDG_DATA_HOME) chooses a language and creates a player: the files and
#                          F8's screenshot appear in the user folder, nothing under the prefix
#                          or the working folder; a second user (another HOME, a pictures folder)
#                          starts fresh and gets screenshots in the pictures folder; a damaged
#                          installed archive stops the start with status 255 and its name.
#   two-players            "Versus", then "Two players": R and L choose one round to win of a
#                          minute; W takes the first side for the left half of the keyboard,
#                          Up the second for the right half, and each again starts the match
#                          (854x480 screenshots); both halves fire and turn until the round
#                          ends the match; its panel names the winner, Return leads back to
#                          the versus menu; the match is kept (pellora-sim --replay agrees),
#                          "Replays" lists it and a click watches it on the wide picture to its
#                          end; Escapes lead back and end the program with status 0.
#   kept-match             a match against the computer (easy), a few shots, and Escape after
#                          a moment: the match is kept in the replays folder (library.dat and
#                          its m*.rec) and pellora-sim --replay plays it to the same end;
#                          "Replays" on the versus menu lists it, a click on its row watches it
#                          in the match screen (Right twice for speed x4) until the banner says
#                          it has ended and the picture stands still; Escape leads back to the
#                          list, and Escape twice more to the main menu and out.
#   fire-a-ball            through the first screens to the main menu and "Play"; with the
#                          pointer over the field, left clicks fire a ball: a later
#                          screenshot whose field has come to rest differs from the one taken
#                          before the clicks; Escape leads back to the main menu, where a
#                          second Escape ends the program with status 0.
#   editor                 E on the main menu opens the level editor on level 1; "Clear", a
#                          brush key and left clicks paint two balls and "Save" writes them
#                          into pellora_data/levels/1.lvl (1040 bytes); "Play" tries the level,
#                          a shot clears it and the editor is back on it; Escape leads to the
#                          main menu; levels.nuf is byte-identical afterwards and a second
#                          start passes the archive check and reaches the main menu.
#   first-start            an empty data folder besides the archives: the intro, then the
#                          language screen; "SVENSKA" writes language.dat 02 00 00 00; the
#                          name entry takes a name with Swedish letters, kept in players.cfg
#                          in Windows-1252; the main menu; the options' sound slider clicked at
#                          its far left leaves sample volume 0 in sound.cfg; the high-score
#                          list from the menu shows the child list, a click the normal list, a
#                          click the menu again; Escape ends with status 0, and a second start
#                          goes from the intro straight to the main menu.
#   alt-enter              on a 1280x720 display without a window manager, a game started with
#                          --window in 640x480 takes the whole display at Alt+Enter (a click
#                          where the scaled picture shows "Game Options" opens them) and is a
#                          640x480 window again at a second Alt+Enter.
#   editor-keeps-saved-game a first start in English with one player whose saved game was
#                          written by pellora_e2e_files; E opens the editor; "Play Cont." asks
#                          before it would replace the saved game and "No" keeps the editor;
#                          "Play" tries the level, a few shots and Escape lead to the main
#                          menu; the saved game is byte for byte the same throughout.
#   keys-only              the whole way by keys, with no mouse event at all: Return past the
#                          intro and on "ENGLISH", a typed name, Return on "Play", the launcher
#                          turned by the arrows and three shots fired by Up; Escape saves the
#                          game (ply1.sav of 291 bytes), Return on "Play" and on "Continue" shows
#                          the same field again; Escape to the menu, Down to "Exit game" and
#                          Return end the program with status 0.
#   game-lost-to-the-end   a first start in English with one player, whose saved game (written
#                          by pellora_e2e_files) holds the field of tests/e2e/quick_loss.txt,
#                          50000 points and no spare life; "Play", "Continue", and a few shots
#                          straight up lose the game: the high-score screen in new-entry mode
#                          follows, "hs5.dat" holds the player's entry with more than the saved
#                          score, the saved game is gone, and a click leads to the main menu.
#   watch-a-replay         the game of game-lost-to-the-end played to its end; the player's row
#                          on the high-score screen is marked, a click on it plays the game
#                          again (Right twice for speed x4) until it stands still at its end;
#                          Escape leads back to the high scores; the lists are untouched, and
#                          pellora-sim --replay finds the kept replay agreeing with the entry.
#   read-only-folder       a game saved on Escape; then the data folder is made read-only and
#                          the program started as a user without root's rights (the user
#                          "nobody" under root): stderr and the top of the screen say the folder
#                          cannot be written; "Continue", a shot and Escape say the game could
#                          not be saved and lead back to the main menu; the saved game is
#                          byte-identical; a next start with the folder writable again still
#                          asks to continue it.
#   versus                 through the first screens to the main menu; "Versus" opens the versus
#                          menu and "Play the computer" (easy) a match; the driver fires
#                          straight up, one shot at a time, until the whole picture stands
#                          still for 3.5 seconds (the computer never waits that long while a
#                          round runs): the round's results panel. A click starts the next
#                          round (the picture changes); Escape leads back to the versus menu,
#                          Escape again to the main menu, and a last Escape ends the program
#                          with status 0.
#   network-match          two programs, each on its own display and in its own folder: the
#                          first goes Versus -> "Host a server", sets one round of one minute
#                          and port 0 and starts listening on the free port the system gives
#                          it (named in its log); the second goes Versus -> "Join a server",
#                          types 127.0.0.1:<that port> and Return. Both say in their log
#                          that the match against the other began; then both fire straight up,
#                          one shot at a time, until both logs say the match is over, with the
#                          same winner, rounds and steps. A click leaves each panel and
#                          Escapes end both programs with status 0.
#   server-match           the same through a pellora-server on a free loopback port given to
#                          both with --server: the host announces its match there, the joiner
#                          clicks the first row of its list (typing nothing), the match is
#                          relayed and ends with the same result in both programs.
#   fifo-players           a FIFO named players.cfg: the program does not hang on it; stderr
#                          says the player list could not be read, the language screen answers
#                          and Escape on the name entry ends the program with status 0; the
#                          FIFO is still there, no player file was written over it.
# A missing Xvfb or xdotool is a failure, never a skip. With PELLORA_E2E_SHOTS
# set to a folder, the cases that look at screens leave their screenshots there.
set -u
# "Join a server" asks for matches on the loopback network only: no test sends beyond
# this machine.
export PELLORA_DISCOVERY=127.255.255.255

test_case=$1
binary=$2
data=$3
tga_check=$4
version=${5:-}
files_tool=${6:-}
sim_tool=${7:-}

fail() {
  echo "FAIL ($test_case): $*" >&2
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/pellora-e2e.XXXXXX") || fail "no temporary folder"
xvfb_pid=""
program_pid=""
# A case with two programs keeps the other one's program and display here.
other_pids=()
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && wait "$xvfb_pid" 2>/dev/null
  for pid in "${other_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
keep_shots() {
  [[ -n "${PELLORA_E2E_SHOTS:-}" ]] && mkdir -p "$PELLORA_E2E_SHOTS" && cp "$work"/*.tga "$PELLORA_E2E_SHOTS"/ 2>/dev/null
  return 0
}
trap 'keep_shots; cleanup' EXIT

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

# retry_input <tries> <input> <check...>: gives the program the input (a command line, run
# by eval: a click, a key) and runs the check, again while the check fails, at most tries
# times. Input sent while SDL is still taking over the focus, or between the update steps a
# screen reads, goes unseen; the check waits (bounded) for what the input should bring.
retry_input() {
  local tries=$1 input=$2 attempt
  shift 2
  for ((attempt = 0; attempt < tries; attempt++)); do
    # A case cut off by its time limit shows where it was waiting.
    ((attempt > 0)) && echo "e2e: try $((attempt + 1)) of $tries: $1 (${SECONDS}s)" >&2
    eval "$input"
    "$@" && return 0
  done
  return 1
}

# What the build ships in its data folder. A data folder someone has played in also holds
# that player's files (players, settings, saves, replays, edited levels, the lock); a case
# starts from the shipped archives alone and makes whatever else it needs itself.
SHIPPED_ARCHIVES=(gfx.nuf sound.nuf levels.nuf)

install_copy() {
  local folder=$1 archive
  mkdir -p "$folder/pellora_data" || fail "cannot make $folder"
  cp "$binary" "$folder/pellora" || fail "cannot copy the program"
  for archive in "${SHIPPED_ARCHIVES[@]}"; do
    cp "$data/$archive" "$folder/pellora_data/" || fail "cannot copy $archive from $data"
  done
}

# start_display [screen]: the screen is 1024x768x24 unless given.
start_display() {
  local screen=${1:-1024x768x24}
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  command -v xdotool >/dev/null || fail "xdotool is not installed"
  local display_file="$work/display"
  : >"$display_file"
  # Xvfb picks a free display number and writes it once it accepts clients.
  # -noreset: the display outlives the program, for a second start on it.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$display_file" 2>"$work/xvfb.log" &
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

# Gives the program's window the focus; true once it has it. The window is looked up each
# time, since the full-screen window may be mapped anew while it takes over the screen.
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

# The program that start_program runs, the folder it keeps the player's files in, and the
# folder F8 writes into: a copy beside its data unless a case says otherwise.
program_path() { echo "${program_file:-$work/game/pellora}"; }
user_data() { echo "${user_folder:-$work/game/pellora_data}"; }
shot_folder() { echo "${screenshot_folder:-$work/game}"; }

start_program() {
  env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy ${run_as:-} "$(program_path)" "$@" >"${program_log:-$work/out.log}" 2>&1 &
  program_pid=$!
  wait_for 30 has_window || fail "no window named Pellora appeared; output: $(cat "${program_log:-$work/out.log}")"
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
  local shot
  shot="$(shot_folder)/qvt00.tga"
  rm -f "$shot"
  retry_input 10 "xdotool key F8" wait_for 2 is_full_screenshot "$shot" || return 1
  mv "$shot" "$1"
}

# Sets window, WIDTH and HEIGHT from the program's window as it is now.
read_window_size() {
  window=$(program_window)
  [[ -n "$window" ]] || return 1
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')
  [[ "$geometry" == *WIDTH=* && "$geometry" == *HEIGHT=* ]] || return 1
  eval "$geometry"
}

# The picture is 640x480, scaled to fit the window and centred in it; this moves the
# pointer to picture pixel (x, y).
move_pointer_to_picture() {
  local x=$1 y=$2 WIDTH HEIGHT
  # The full-screen window may be mapped anew while it takes over the screen: ask again.
  wait_for 10 read_window_size || fail "the window is gone; output: $(cat "$work/out.log")"
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


# keep_shot <screenshot>: a copy into PELLORA_E2E_SHOTS, when it is set.
keep_shot() {
  [[ -n "${PELLORA_E2E_SHOTS:-}" ]] && mkdir -p "$PELLORA_E2E_SHOTS" && cp "$1" "$PELLORA_E2E_SHOTS/"
  return 0
}

# The screens' items, in picture pixels: a centred item's caption is about 32 pixels high.
LANGUAGE_ENGLISH=(240 245)
LANGUAGE_SVENSKA=(400 245)
MENU_PLAY=(320 126)
MENU_HIGHSCORE=(320 234)
MENU_OPTIONS=(320 270)
MENU_VERSUS=(320 334)
VERSUS_PLAY_COMPUTER=(320 108)
VERSUS_TWO_PLAYERS=(320 170)
VERSUS_HOST=(320 208)
VERSUS_JOIN=(320 260)
VERSUS_REPLAYS=(320 314)
REPLAYS_FIRST_ROW=(320 76)
HOST_ROUND_LENGTH=(320 258)
HOST_ROUNDS_TO_WIN=(320 290)
HOST_START=(400 376)
OPTIONS_SOUND_FAR_LEFT=(198 166)
NOWHERE=(600 300)   # on the frame beside the field, where no item lies
EDITOR_CLEAR=(530 92)
EDITOR_SAVE=(530 216)
EDITOR_PLAY=(530 244)
EDITOR_PLAY_CONT=(530 272)
EDITOR_ANSWER_NO=(372 262)
# Cells of the editor's field as (column row picture-x picture-y).
EDITOR_CELLS=("4 0 304 46" "5 0 336 46")
EDITOR_BRUSH_KEY=r   # colour 3
EDITOR_BRUSH=3

# The pointer is given a few steps at its new place before the press, so that the program
# has seen the move (xdotool sends the two as separate events).
click_at() {
  move_pointer_to_picture "$1" "$2"
  sleep 0.1
  click_left
}

# shows_change <reference> <destination> [<left> <top> <right> <bottom>]: a settled screenshot
# into destination differs from the reference (in the whole picture, or in the region).
shows_change() {
  local reference=$1 destination=$2
  shift 2
  (($# == 4)) || set -- 0 0 640 480
  screenshot_settled "$destination" || fail "the screen did not settle ($(basename "$destination"))"
  ! region_same "$reference" "$destination" "$@"
}

# field_same_as <reference> <destination>: a settled screenshot into destination shows the
# reference's field; otherwise the field is given another half second.
field_same_as() {
  settled_screenshot "$2" || fail "the field did not settle ($(basename "$2"))"
  field_differs "$1" "$2" 50 || return 0
  sleep 0.5
  return 1
}

# open_from_menu <x> <y> <destination>: clicks a menu item until a settled screenshot shows
# another screen than the menu (a click that went unseen is repeated).
open_from_menu() {
  retry_input 5 "click_at $1 $2" shows_change "$work/menu.tga" "$3"
}

file_exists() {
  [[ -s "$1" ]]
}

# The 32-bit little-endian value at a byte offset of a file.
le32_at() {
  od -An -tu4 --endian=little -j "$2" -N4 "$1" | tr -d ' '
}

# choose_language <x> <y>: clicks that language's button (a click also shortens the intro)
# until language.dat is written.
choose_language() {
  local language
  language="$(user_data)/language.dat"
  retry_input 40 "click_at $1 $2" wait_for 1 file_exists "$language" ||
    fail "language.dat was not written; output: $(cat "$work/out.log")"
}

choose_swedish() {
  choose_language "${LANGUAGE_SVENSKA[@]}"
}

choose_english() {
  choose_language "${LANGUAGE_ENGLISH[@]}"
}

# type_name <name>: the name and Return. One character a call: xdotool lends letters outside
# the keyboard map a spare key, and a slower pace lets the program see each new mapping
# before the key.
type_name() {
  local text=$1 i
  for ((i = 0; i < ${#text}; i++)); do
    xdotool type --delay 120 "${text:i:1}"
  done
  xdotool key Return
}

# name_taken <players file>: the file is written; a try that did not take is wiped with
# Backspace for the next.
name_taken() {
  wait_for 3 file_exists "$1" && return 0
  for wipe in $(seq 14); do xdotool key BackSpace; done
  return 1
}

# enter_name <name>: types the name and Return until players.cfg is written.
enter_name() {
  local players
  players="$(user_data)/players.cfg"
  retry_input 10 "type_name $(printf %q "$1")" name_taken "$players" ||
    fail "players.cfg was not written; output: $(cat "$work/out.log")"
}

# region_same <first> <second> <left> <top> <right> <bottom>: fewer than 50 pixels differ.
region_same() {
  "$tga_check" --differ "$1" "$2" "$3" "$4" "$5" "$6" 50 >/dev/null
  local status=$?
  ((status <= 1)) || fail "cannot compare $1 and $2"
  ((status == 1))
}

# screenshot_settled <destination>: screenshots until two in a row are the same picture.
screenshot_settled() {
  local previous="$work/still0.tga" current
  take_screenshot "$previous" || return 1
  for attempt in $(seq 30); do
    current="$work/still$attempt.tga"
    take_screenshot "$current" || return 1
    if region_same "$previous" "$current" 0 0 640 480; then
      mv "$current" "$1"
      return 0
    fi
    previous=$current
    sleep 0.2
  done
  return 1
}

# wait_for_picture <reference> <seconds>: screenshots until one matches the reference.
wait_for_picture() {
  local deadline=$((SECONDS + $2)) shot="$work/waiting.tga"
  while ((SECONDS < deadline)); do
    take_screenshot "$shot" || return 1
    region_same "$1" "$shot" 0 0 640 480 && return 0
    sleep 0.3
  done
  return 1
}

# start_match_against_the_computer: on a first start, through the first screens to the main
# menu (menu.tga) and the versus menu (versus-menu.tga); "Play the computer" starts a match,
# and the picture leaves the versus menu (match.tga).
start_match_against_the_computer() {
  walk_to_main_menu "$work/menu.tga"
  open_from_menu "${MENU_VERSUS[@]}" "$work/versus-menu.tga" || fail "\"Versus\" did not open the versus menu"
  for attempt in $(seq 5); do
    click_at "${VERSUS_PLAY_COMPUTER[@]}"
    sleep 1
    take_screenshot "$work/match.tga" || fail "F8 wrote no screenshot in the match"
    region_same "$work/versus-menu.tga" "$work/match.tga" 0 0 640 480 || break
  done
  region_same "$work/versus-menu.tga" "$work/match.tga" 0 0 640 480 && fail "\"Play the computer\" did not start a match"
}
# watch_to_the_end <seconds> <destination>: while a replay (a game's or a match's) is
# watched, Right twice for speed x4, then screenshots until the banner's left part has
# changed (it says the replay has ended) and the picture stands still; kept as destination.
watch_to_the_end() {
  local deadline=$((SECONDS + $1)) ended="" shift_x=${3:-0}
  xdotool key Right
  xdotool key Right
  take_screenshot "$work/fast.tga" || fail "no screenshot while watching"
  while ((SECONDS < deadline)); do
    take_screenshot "$2" || fail "no screenshot while watching"
    if ! region_same "$work/fast.tga" "$2" $((170 + shift_x)) 6 $((300 + shift_x)) 30; then
      ended=yes
      break
    fi
    sleep 1
  done
  [[ -n "$ended" ]] || fail "the replay did not come to its end"
  screenshot_settled "$2" || fail "the replay did not stand still at its end"
  keep_shot "$2"
}
# walk_to_main_menu <menu screenshot>: on a first start, through the intro, the language
# screen and the name entry; the settled main menu is saved with the pointer on "Play".
walk_to_main_menu() {
  choose_swedish
  enter_name "Pella"
  move_pointer_to_picture "${MENU_PLAY[@]}"
  screenshot_settled "$1" || fail "the main menu did not settle"
}

# highscore_rank_of <file> <name>: the position (0 best) of the name's entry in a
# high-score list, nothing when no entry has that name.
highscore_rank_of() {
  local entry name
  for entry in $(seq 0 9); do
    name=$(dd if="$1" bs=1 skip=$((entry * 44)) count=28 status=none | tr '\0' '\n' | head -n1)
    if [[ "$name" == "$2" ]]; then
      echo "$entry"
      return 0
    fi
  done
}

# highscore_entry_of <file> <name>: the score of the name's entry, nothing when none.
highscore_entry_of() {
  local rank
  rank=$(highscore_rank_of "$1" "$2")
  [[ -n "$rank" ]] && le32_at "$1" $((rank * 44 + 32))
}

case "$test_case" in
  screenshot-and-escape)
    start_display
    install_copy "$work/game"
    start_program
    # Keys sent while SDL is still taking over the focus are dropped, so F8 is pressed once a
    # second until the screenshot arrives.
    # The intro starts from black, so a screenshot of its first moments is one colour; the
    # screenshot is taken again until it shows the picture.
    shows_picture() {
      wait_for 1 is_full_screenshot "$1" && "$tga_check" "$1" 640 480 >/dev/null 2>&1
    }
    retry_input 30 'rm -f "$work/game/qvt00.tga"; xdotool key F8' shows_picture "$work/game/qvt00.tga"
    is_full_screenshot "$work/game/qvt00.tga" || fail "F8 wrote no qvt00.tga; output: $(cat "$work/out.log")"
    "$tga_check" "$work/game/qvt00.tga" 640 480 || fail "qvt00.tga is not a proper screenshot"
    quit_with_escape
    ;;
  game-lost-to-the-end)
    start_display 640x480x24
    install_copy "$work/game"
    saves="$work/game/pellora_data"
    rm -f "$saves"/*.dat "$saves"/*.cfg
    [[ -x "$files_tool" ]] || fail "no pellora_e2e_files given"
    start_program
    choose_english
    [[ "$(od -An -tx1 "$saves/language.dat" | tr -d ' ')" == "01000000" ]] ||
      fail "language.dat is not 01 00 00 00: $(od -An -tx1 "$saves/language.dat")"
    enter_name "Pella"
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/menu.tga" || fail "the main menu did not settle"
    [[ -e "$saves/hs5.dat" ]] && fail "a high-score list was written before any game"
    "$files_tool" saved-game "$(dirname "$0")/quick_loss.txt" 0 50000 "$saves/ply1.sav" "$saves/ply1.lvl" ||
      fail "cannot write the saved game"
    open_from_menu "${MENU_PLAY[@]}" "$work/question.tga" || fail "Play did not show the continue question"
    click_at 240 296
    # Shots straight up: the first takes the band of 0s off, the later ones hang lower and
    # lower until one rests in the bottom row and costs the last life. The same clicks end
    # the "LOAD GAME" and game-over panels. The list is written as the game ends.
    move_pointer_to_picture 320 220
    shot=0
    # About twenty clicks do it; the bound leaves room for a loaded machine within the
    # test's time limit.
    deadline=$((SECONDS + 100))
    until file_exists "$saves/hs5.dat"; do
      ((SECONDS < deadline)) || fail "no high-score list after $shot clicks in 100 s; output: $(cat "$work/out.log")"
      shot=$((shot + 1))
      if ((shot == 2)); then
        take_screenshot "$work/playing.tga"
        move_pointer_to_picture 320 220
      fi
      click_left
      wait_for 1 file_exists "$saves/hs5.dat"
    done
    wait_for 10 bash -c "(( \$(stat -c %s '$saves/hs5.dat') == 440 ))" || fail "hs5.dat is not 440 bytes"
    score=$(highscore_entry_of "$saves/hs5.dat" "Pella")
    [[ -n "$score" ]] || fail "hs5.dat holds no entry of Pella"
    ((score > 50000)) || fail "the entry of Pella holds the score $score, not the saved score and more"
    [[ -e "$saves/ply1.sav" || -e "$saves/ply1.lvl" ]] && fail "the saved game outlived the game's end"
    # The high-score screen shows the new entry until a click.
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/highscores.tga" || fail "the high-score screen did not settle"
    region_same "$work/menu.tga" "$work/highscores.tga" 0 0 640 480 && fail "the game ended on the main menu, not the high scores"
    region_same "$work/playing.tga" "$work/highscores.tga" 0 0 640 480 && fail "the game did not end"
    retry_input 5 click_left wait_for_picture "$work/menu.tga" 6 ||
      fail "a click on the high scores did not lead to the main menu"
    quit_with_escape
    ;;
  watch-a-replay)
    start_display 640x480x24
    install_copy "$work/game"
    saves="$work/game/pellora_data"
    rm -f "$saves"/*.dat "$saves"/*.cfg
    [[ -x "$files_tool" && -x "$sim_tool" ]] || fail "no pellora_e2e_files or pellora-sim given"
    start_program
    choose_english
    enter_name "Pella"
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/menu.tga" || fail "the main menu did not settle"
    "$files_tool" saved-game "$(dirname "$0")/quick_loss.txt" 0 50000 "$saves/ply1.sav" "$saves/ply1.lvl" ||
      fail "cannot write the saved game"
    open_from_menu "${MENU_PLAY[@]}" "$work/question.tga" || fail "Play did not show the continue question"
    click_at 240 296
    move_pointer_to_picture 320 220
    deadline=$((SECONDS + 100))
    until file_exists "$saves/hs5.dat"; do
      ((SECONDS < deadline)) || fail "no high-score list after 100 s of shots"
      click_left
      wait_for 1 file_exists "$saves/hs5.dat"
    done
    wait_for 10 file_exists "$saves/replays/index.dat" || fail "no replay was kept for the entry"
    kept=$(ls "$saves"/replays/r*.rpl 2>/dev/null | head -n1)
    [[ -n "$kept" ]] || fail "no kept replay in $saves/replays: $(ls "$saves/replays")"
    score=$(highscore_entry_of "$saves/hs5.dat" "Pella")
    [[ -n "$score" ]] || fail "hs5.dat holds no entry of Pella"
    # The simulator plays the kept replay through the rules alone and ends on the same score.
    "$sim_tool" --replay "$kept" --pack "$saves/levels.nuf" > "$work/sim.txt" 2>&1 ||
      fail "pellora-sim does not agree with the replay: $(cat "$work/sim.txt")"
    grep -q "agrees: .*final score $score," "$work/sim.txt" || fail "pellora-sim: $(cat "$work/sim.txt"), entry $score"
    lists_before=$(md5sum "$saves/hs5.dat" | cut -d' ' -f1)
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/highscores.tga" || fail "the high-score screen did not settle"
    # The player's row: its name begins at x 190, rows are 24 pixels apart from y 95.
    row=$(highscore_rank_of "$saves/hs5.dat" "Pella")
    click_at 300 $((95 + 24 * row + 10))
    take_screenshot "$work/watching.tga" || fail "no screenshot while watching"
    region_same "$work/highscores.tga" "$work/watching.tga" 0 0 640 480 && fail "a click on the row did not open its replay"
    # At its end the banner says so, and the replay stands still (a minute at most at x4).
    watch_to_the_end 90 "$work/end.tga"
    xdotool key Escape
    # Back on the high scores: the title and the rows are where they were.
    back=""
    for attempt in $(seq 20); do
      take_screenshot "$work/back.tga" || fail "no screenshot after Escape"
      if region_same "$work/highscores.tga" "$work/back.tga" 100 30 440 40; then
        back=yes
        break
      fi
      sleep 0.3
    done
    [[ -n "$back" ]] || fail "Escape did not lead back to the high scores"
    [[ "$(md5sum "$saves/hs5.dat" | cut -d' ' -f1)" == "$lists_before" ]] || fail "watching changed hs5.dat"
    move_pointer_to_picture "${NOWHERE[@]}"
    xdotool key Escape
    wait_for_picture "$work/menu.tga" 10 || fail "Escape on the high scores did not lead to the main menu"
    quit_with_escape
    ;;
  save-and-continue)
    # A game saved on Escape, continued on the same field, and thrown away with "New game".
    start_display 640x480x24
    install_copy "$work/game"
    start_program
    walk_to_main_menu "$work/menu.tga"
    saves="$work/game/pellora_data"
    click_at "${MENU_PLAY[@]}"
    # The level-start panel goes by itself or with a click; then a few shots straight up.
    move_pointer_to_picture 320 220
    sleep 3
    for shot in 1 2 3; do
      click_left
      sleep 1.5
    done
    settled_screenshot "$work/played.tga" || fail "the field did not settle after the shots"
    xdotool key Escape
    wait_for 10 file_exists "$saves/ply1.sav" || fail "Escape saved no game; output: $(cat "$work/out.log")"
    (($(stat -c %s "$saves/ply1.sav") == 291)) || fail "ply1.sav is $(stat -c %s "$saves/ply1.sav") bytes, not 291"
    [[ "$(le32_at "$saves/ply1.sav" 0)" == 5 ]] || fail "ply1.sav does not start with version 5"
    (($(stat -c %s "$saves/ply1.lvl") == 3221)) || fail "ply1.lvl is $(stat -c %s "$saves/ply1.lvl") bytes, not 3221"
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "the game did not go back to the main menu after GAME SAVED"
    cp "$saves/ply1.sav" "$work/first.sav"
    # Play again: the continue question; "Continue" shows the same field.
    open_from_menu "${MENU_PLAY[@]}" "$work/question.tga" || fail "Play did not show the continue question"
    click_at 240 296
    # The "LOAD GAME" panel goes by itself after 2.5 s; no click, which would fire. On a busy
    # machine it may still be on the first settled screenshots, so they are taken again until
    # the field shows (the idle countdown moves the field only after 6 + 5 s).
    move_pointer_to_picture 320 220
    sleep 3
    retry_input 8 : field_same_as "$work/played.tga" "$work/continued.tga" ||
      fail "the continued game shows another field"
    # Leaving before a shot keeps the save as it was.
    xdotool key Escape
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape before a shot did not lead to the main menu"
    cmp -s "$work/first.sav" "$saves/ply1.sav" || fail "leaving a continued game before a shot changed the save"
    # "New game" throws the save away.
    open_from_menu "${MENU_PLAY[@]}" "$work/question2.tga" || fail "Play did not show the continue question again"
    click_at 400 296
    wait_for 10 bash -c "[[ ! -e '$saves/ply1.sav' && ! -e '$saves/ply1.lvl' ]]" || fail "New game left the saved game"
    xdotool key Escape
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape in the new game did not lead to the main menu"
    quit_with_escape
    ;;
  fifo-players)
    start_display 640x480x24
    install_copy "$work/game"
    mkfifo "$work/game/pellora_data/players.cfg" || fail "cannot make a FIFO"
    start_program
    choose_english
    wait_for 30 grep -q "The player list could not be read." "$work/out.log" ||
      fail "the unreadable player list was not told; output: $(cat "$work/out.log")"
    screenshot_settled "$work/name.tga" || fail "the name entry did not settle"
    quit_with_escape
    [[ -p "$work/game/pellora_data/players.cfg" ]] || fail "players.cfg is no longer the FIFO"
    [[ ! -e "$work/game/pellora_data/players.cfg.bad" ]] || fail "a FIFO was copied"
    ;;
  read-only-folder)
    start_display 640x480x24
    install_copy "$work/game"
    start_program
    walk_to_main_menu "$work/menu.tga"
    saves="$work/game/pellora_data"
    click_at "${MENU_PLAY[@]}"
    move_pointer_to_picture 320 220
    sleep 3
    click_left
    sleep 1.5
    settled_screenshot "$work/played.tga" || fail "the field did not settle after the shot"
    xdotool key Escape
    wait_for 10 file_exists "$saves/ply1.sav" || fail "Escape saved no game; output: $(cat "$work/out.log")"
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "the game did not go back to the main menu after GAME SAVED"
    quit_with_escape
    cp "$saves/ply1.sav" "$work/first.sav"
    cp "$saves/ply1.lvl" "$work/first.lvl"
    # The folder as a user without root's rights sees it: readable, not writable. The
    # program's own folder stays writable for the screenshots.
    chmod 755 "$work"
    chmod 777 "$work/game"
    # No replays folder and no lock file yet: neither can be made.
    rm -rf "$saves/replays" "$saves/pellora.lock"
    find "$saves" -type d -exec chmod 555 {} +
    find "$saves" -type f -exec chmod 444 {} +
    if (($(id -u) == 0)); then
      command -v setpriv >/dev/null || fail "setpriv is not installed"
      run_as="setpriv --reuid=65534 --regid=65534 --clear-groups"
    fi
    start_program
    wait_for 30 grep -q "cannot write into its folder" "$work/out.log" ||
      fail "the read-only folder was not told; output: $(cat "$work/out.log")"
    # The lock file could not be made for want of permission, and the line says so.
    grep "CFolderLock" "$work/out.log" | grep -q "Permission denied" ||
      fail "the lock line does not give the folder's reason; output: $(cat "$work/out.log")"
    # The notice takes the top of the main menu; below it the menu is as before.
    move_pointer_to_picture "${MENU_PLAY[@]}"
    deadline=$((SECONDS + 30))
    told=""
    while ((SECONDS < deadline)); do
      take_screenshot "$work/told.tga" || fail "F8 wrote no screenshot as a plain user"
      if region_same "$work/menu.tga" "$work/told.tga" 0 60 640 420; then
        region_same "$work/menu.tga" "$work/told.tga" 0 0 640 44 || told=yes
        break
      fi
      sleep 0.3
    done
    [[ -n "$told" ]] || fail "the main menu did not show the notice at its top"
    keep_shot "$work/told.tga"
    open_from_menu "${MENU_PLAY[@]}" "$work/question.tga" || fail "Play did not show the continue question"
    click_at 240 296
    move_pointer_to_picture 320 220
    sleep 3
    click_left
    sleep 1.5
    xdotool key Escape
    wait_for 10 grep -q "The game could not be saved: no permission to write there." "$work/out.log" ||
      fail "the failed save was not told; output: $(cat "$work/out.log")"
    grep -q "ply1" "$work/out.log" || fail "the failed save's line does not name the file"
    # The game's replay goes into a replays folder that cannot be made: no permission either.
    wait_for 10 grep -q "no permission to write there. (replays/" "$work/out.log" ||
      fail "the replay's failure was not told as no permission; output: $(cat "$work/out.log")"
    grep -q "the system reported an error" "$work/out.log" &&
      fail "a failure was told without its reason; output: $(cat "$work/out.log")"
    move_pointer_to_picture "${MENU_PLAY[@]}"
    deadline=$((SECONDS + 20))
    back=""
    while ((SECONDS < deadline)); do
      take_screenshot "$work/unsaved.tga" || fail "F8 wrote no screenshot after Escape"
      if region_same "$work/menu.tga" "$work/unsaved.tga" 0 60 640 420; then
        back=yes
        break
      fi
      sleep 0.3
    done
    [[ -n "$back" ]] || fail "Escape did not lead back to the main menu"
    keep_shot "$work/unsaved.tga"
    cmp -s "$work/first.sav" "$saves/ply1.sav" || fail "the saved game changed in a read-only folder"
    cmp -s "$work/first.lvl" "$saves/ply1.lvl" || fail "the saved field changed in a read-only folder"
    quit_with_escape
    # Writable again: the old game is still there to continue.
    run_as=""
    find "$saves" -type d -exec chmod 755 {} +
    find "$saves" -type f -exec chmod 644 {} +
    start_program
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 30 || fail "the next start did not reach the main menu"
    open_from_menu "${MENU_PLAY[@]}" "$work/question2.tga" || fail "the next start does not ask to continue"
    region_same "$work/question.tga" "$work/question2.tga" 0 60 640 420 ||
      fail "the next start shows another screen than the continue question"
    click_at 240 296
    move_pointer_to_picture 320 220
    sleep 3
    retry_input 8 : field_same_as "$work/played.tga" "$work/continued.tga" ||
      fail "the continued game shows another field than the saved one"
    xdotool key Escape
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape did not lead back to the main menu"
    quit_with_escape
    ;;
  keys-only)
    start_display 640x480x24
    install_copy "$work/game"
    start_program
    saves="$work/game/pellora_data"
    # Return shortens the intro; on the language screen the focus starts on "ENGLISH".
    retry_input 40 "xdotool key Return" wait_for 1 file_exists "$saves/language.dat"
    [[ "$(le32_at "$saves/language.dat" 0)" == 1 ]] || fail "Return did not choose English; output: $(cat "$work/out.log")"
    enter_name "Kim"
    screenshot_settled "$work/keys-menu.tga" || fail "the main menu did not settle"
    keep_shot "$work/keys-menu.tga"
    # The focus is on "Play".
    xdotool key Return
    # The level-start panel goes by itself; Return hurries it.
    sleep 1
    xdotool key Return
    xdotool keydown Left
    sleep 0.3
    xdotool keyup Left
    for shot in 1 2 3; do
      xdotool key Up
      sleep 1.5
    done
    settled_screenshot "$work/keys-played.tga" || fail "the field did not settle after the shots"
    keep_shot "$work/keys-played.tga"
    region_same "$work/keys-menu.tga" "$work/keys-played.tga" 0 0 640 480 && fail "Return on Play started no game"
    xdotool key p
    screenshot_settled "$work/keys-paused.tga" || fail "the pause did not settle"
    keep_shot "$work/keys-paused.tga"
    xdotool key p
    xdotool key Escape
    wait_for 10 file_exists "$saves/ply1.sav" || fail "Escape saved no game; output: $(cat "$work/out.log")"
    (($(stat -c %s "$saves/ply1.sav") == 291)) || fail "ply1.sav is $(stat -c %s "$saves/ply1.sav") bytes, not 291"
    wait_for_picture "$work/keys-menu.tga" 20 || fail "the game did not go back to the main menu after GAME SAVED"
    cp "$saves/ply1.sav" "$work/first.sav"
    # Play again: the continue question, its focus on "Continue".
    xdotool key Return
    screenshot_settled "$work/keys-question.tga" || fail "the continue question did not settle"
    keep_shot "$work/keys-question.tga"
    region_same "$work/keys-menu.tga" "$work/keys-question.tga" 0 0 640 480 && fail "Return on Play showed no question"
    xdotool key Return
    sleep 3
    retry_input 8 : field_same_as "$work/keys-played.tga" "$work/keys-continued.tga" ||
      fail "Continue by keys shows another field"
    xdotool key Escape
    wait_for_picture "$work/keys-menu.tga" 20 || fail "Escape before a shot did not lead to the main menu"
    cmp -s "$work/first.sav" "$saves/ply1.sav" || fail "leaving a continued game before a shot changed the save"
    # Down to "Exit game" (Play, Change player, Child mode, Highscore, Options, Exit game).
    # Each key is held a moment, so that a busy machine's long frame cannot take its press and
    # its release as one step and miss it.
    for step in 1 2 3 4 5; do
      xdotool keydown Down; sleep 0.1; xdotool keyup Down; sleep 0.1
    done
    xdotool keydown Return; sleep 0.1; xdotool keyup Return
    wait_for 30 program_ended || fail "Exit game by keys did not end the program"
    wait "$program_pid"
    status=$?
    program_pid=""
    ((status == 0)) || fail "Exit game ended the program with status $status"
    ;;
  versus)
    start_display 640x480x24
    install_copy "$work/game"
    start_program
    start_match_against_the_computer
    keep_shot "$work/match.tga"
    # Straight up from the launcher; the round ends when either side leaves a ball in its
    # lowest row, and the panel then holds the picture still.
    deadline=$((SECONDS + 240))
    panel=""
    rounds=0
    while ((SECONDS < deadline)); do
      # One shot at a time: a click on a shown panel would start the next round.
      click_at 320 220
      sleep 0.5
      rounds=$((rounds + 1))
      take_screenshot "$work/still-a.tga" || fail "F8 wrote no screenshot during the round"
      # A lost field is swept ball by ball behind the panel for up to three seconds, so a
      # pair that differs is looked at once more before the next shot.
      for look in 1 2; do
        sleep 3.5
        take_screenshot "$work/still-b.tga" || fail "F8 wrote no screenshot during the round"
        if region_same "$work/still-a.tga" "$work/still-b.tga" 0 0 640 480; then
          panel="$work/round-panel.tga"
          mv "$work/still-b.tga" "$panel"
          break 2
        fi
        mv "$work/still-b.tga" "$work/still-a.tga"
      done
    done
    [[ -n "$panel" ]] || fail "no round ended within 240 s ($rounds shots)"
    region_same "$work/versus-menu.tga" "$panel" 0 0 640 480 && fail "the match ended without showing its round's results"
    keep_shot "$panel"
    # The panel is read, then a click starts the next round on a new field.
    click_left
    sleep 1
    take_screenshot "$work/next-round.tga" || fail "F8 wrote no screenshot after the panel"
    region_same "$panel" "$work/next-round.tga" 0 0 640 480 && fail "a click on the results panel did not start the next round"
    keep_shot "$work/next-round.tga"
    xdotool key Escape
    # The pointer where it was when the versus menu was first seen, so that the same item
    # is lit.
    move_pointer_to_picture "${MENU_VERSUS[@]}"
    wait_for_picture "$work/versus-menu.tga" 20 || fail "Escape in the match did not lead back to the versus menu"
    xdotool key Escape
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape on the versus menu did not lead back to the main menu"
    quit_with_escape
    ;;
  two-players)
    start_display 640x480x24
    install_copy "$work/game"
    # The program's log lines on its output: the driver reads what the screens did.
    export PELLORA_LOG=debug
    start_program
    walk_to_main_menu "$work/menu.tga"
    open_from_menu "${MENU_VERSUS[@]}" "$work/versus-menu.tga" || fail "\"Versus\" did not open the versus menu"
    cp "$work/versus-menu.tga" "$work/menu.tga"
    open_from_menu "${VERSUS_TWO_PLAYERS[@]}" "$work/two-setup.tga" || fail "\"Two players\" did not open its set-up"
    # The pointer rests beside the items: a click there would claim a side for the mouse.
    move_pointer_to_picture "${NOWHERE[@]}"
    tap_key() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.1; }
    log_has() { grep -q "$1" "$work/out.log"; }
    # One round to win (2 -> 3 -> 1) of one minute (5 -> 1).
    tap_key r
    tap_key r
    tap_key l
    retry_input 5 "tap_key w" wait_for 2 log_has "side 0 taken by left keys" || fail "W did not take the first side"
    retry_input 5 "tap_key Up" wait_for 2 log_has "side 1 taken by right keys" || fail "Up did not take the second side"
    take_screenshot "$work/two-setup-held.tga" || fail "F8 wrote no screenshot of the set-up"
    keep_shot "$work/two-setup-held.tga"
    tap_key w
    tap_key Up
    wait_for 10 log_has "1 rounds to win, 60 s a round" || fail "the match did not start with the chosen rules; output: $(cat "$work/out.log")"
    # Each side fires and turns a little, until the round's time runs out or a side loses.
    deadline=$((SECONDS + 150))
    shots=0
    until log_has "the match is over"; do
      ((SECONDS < deadline)) || fail "the match did not end within 150 s ($shots shots each)"
      tap_key w
      tap_key Up
      if ((shots % 3 == 1)); then tap_key a; tap_key Right; fi
      if ((shots % 3 == 2)); then tap_key d; tap_key Left; fi
      shots=$((shots + 1))
      sleep 0.3
    done
    ((shots >= 3)) || fail "the match ended after only $shots shots each"
    sleep 1
    take_screenshot "$work/two-result.tga" || fail "F8 wrote no screenshot of the result"
    "$tga_check" "$work/two-result.tga" 854 480 || fail "the match's screenshot is not the wide picture"
    keep_shot "$work/two-result.tga"
    grep -q "round 1 over, won by side" "$work/out.log" || fail "no round result was logged"
    # The pointer where it was when the versus menu was first seen, so that the same item
    # is lit.
    move_pointer_to_picture "${MENU_VERSUS[@]}"
    retry_input 5 "tap_key Return" wait_for_picture "$work/versus-menu.tga" 4 ||
      fail "Return on the result did not lead back to the versus menu"
    # The match is kept; the simulator plays it to the same end, and the replays list
    # watches it on the wide picture, both fields full size, to its own last panel.
    kept=$(ls "$work/game/pellora_data"/replays/m*.rec 2>/dev/null | head -n1)
    [[ -n "$kept" ]] || fail "the match was not kept: $(ls "$work/game/pellora_data/replays")"
    "$sim_tool" --replay "$kept" > "$work/sim.txt" 2>&1 || fail "pellora-sim does not agree with the kept match: $(cat "$work/sim.txt")"
    grep -q "^agrees: " "$work/sim.txt" || fail "pellora-sim: $(cat "$work/sim.txt")"
    cp "$work/versus-menu.tga" "$work/menu.tga"
    open_from_menu "${VERSUS_REPLAYS[@]}" "$work/replays.tga" || fail "\"Replays\" did not open the replays list"
    keep_shot "$work/replays.tga"
    # The watched match is on the wide picture: the program's log says when it begins.
    retry_input 5 'click_at "${REPLAYS_FIRST_ROW[@]}"' wait_for 3 log_has "StartWatching" ||
      fail "a click on the match's row did not watch it"
    watch_to_the_end 90 "$work/two-watch-end.tga" 107
    "$tga_check" "$work/two-watch-end.tga" 854 480 || fail "the watched match is not on the wide picture"
    xdotool key Escape
    move_pointer_to_picture "${VERSUS_REPLAYS[@]}"
    wait_for_picture "$work/replays.tga" 20 || fail "Escape while watching did not lead back to the replays list"
    xdotool key Escape
    move_pointer_to_picture "${MENU_VERSUS[@]}"
    wait_for_picture "$work/versus-menu.tga" 20 || fail "Escape on the replays list did not lead back to the versus menu"
    quit_after_escapes() { xdotool key Escape; wait_for 3 program_ended; }
    retry_input 5 quit_after_escapes program_ended || fail "Escapes did not end the program"
    wait "$program_pid"
    status=$?
    program_pid=""
    ((status == 0)) || fail "the program ended with status $status"
    ;;
  kept-match)
    start_display 640x480x24
    install_copy "$work/game"
    saves="$work/game/pellora_data"
    [[ -x "$sim_tool" ]] || fail "no pellora-sim given"
    start_program
    start_match_against_the_computer
    # A few shots over a few seconds, then the match is left.
    for shot in 1 2 3 4; do
      click_at $((240 + 40 * shot)) 200
      sleep 1
    done
    xdotool key Escape
    move_pointer_to_picture "${MENU_VERSUS[@]}"
    wait_for_picture "$work/versus-menu.tga" 20 || fail "Escape in the match did not lead back to the versus menu"
    wait_for 10 file_exists "$saves/replays/library.dat" || fail "no replays list was written"
    kept=$(ls "$saves"/replays/m*.rec 2>/dev/null | head -n1)
    [[ -n "$kept" ]] || fail "the match was not kept: $(ls "$saves/replays")"
    "$sim_tool" --replay "$kept" > "$work/sim.txt" 2>&1 || fail "pellora-sim does not agree with the kept match: $(cat "$work/sim.txt")"
    grep -q "^agrees: " "$work/sim.txt" || fail "pellora-sim: $(cat "$work/sim.txt")"
    grep -q "left before its end" "$work/sim.txt" || fail "the kept match did not end where it was left: $(cat "$work/sim.txt")"
    # The replays list, its newest row the match; a click on it watches the match. (Each
    # screen opened is told from the one before it.)
    cp "$work/menu.tga" "$work/main-menu.tga"
    cp "$work/versus-menu.tga" "$work/menu.tga"
    open_from_menu "${VERSUS_REPLAYS[@]}" "$work/replays.tga" || fail "\"Replays\" did not open the replays list"
    keep_shot "$work/replays.tga"
    cp "$work/replays.tga" "$work/menu.tga"
    open_from_menu "${REPLAYS_FIRST_ROW[@]}" "$work/watching.tga" || fail "a click on the match's row did not watch it"
    watch_to_the_end 60 "$work/watch-end.tga"
    xdotool key Escape
    move_pointer_to_picture "${VERSUS_REPLAYS[@]}"
    wait_for_picture "$work/replays.tga" 20 || fail "Escape while watching did not lead back to the replays list"
    xdotool key Escape
    move_pointer_to_picture "${MENU_VERSUS[@]}"
    wait_for_picture "$work/versus-menu.tga" 20 || fail "Escape on the replays list did not lead back to the versus menu"
    xdotool key Escape
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/main-menu.tga" 20 || fail "Escape on the versus menu did not lead back to the main menu"
    quit_with_escape
    ;;
  fire-a-ball)
    # A screen of the picture's size: the full-screen window then shows the picture 1:1.
    start_display 640x480x24
    install_copy "$work/game"
    start_program
    walk_to_main_menu "$work/menu.tga"
    click_at "${MENU_PLAY[@]}"
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
    # Escape leaves the game for the main menu, which Escape leaves for good.
    xdotool key Escape
    move_pointer_to_picture "${MENU_PLAY[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape in the game did not lead back to the main menu"
    quit_with_escape
    ;;
  editor)
    start_display 640x480x24
    install_copy "$work/game"
    cp "$work/game/pellora_data/levels.nuf" "$work/levels.before" || fail "cannot copy levels.nuf"
    start_program
    walk_to_main_menu "$work/menu-play.tga"
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/menu.tga" || fail "the main menu did not settle"
    keep_shot "$work/menu.tga"
    # E opens the editor (a key that went unseen is pressed again).
    retry_input 5 "xdotool key e" shows_change "$work/menu.tga" "$work/editor.tga" ||
      fail "E on the main menu did not open the editor"
    keep_shot "$work/editor.tga"
    # Level 1 emptied, two balls of one colour painted side by side in the top row, saved;
    # clicks that went unseen are made again.
    level="$work/game/pellora_data/levels/1.lvl"
    paint_and_save() {
      click_at "${EDITOR_CLEAR[@]}"
      xdotool key "$EDITOR_BRUSH_KEY"
      for cell in "${EDITOR_CELLS[@]}"; do
        read -r column row x y <<<"$cell"
        click_at "$x" "$y"
      done
      click_at "${EDITOR_SAVE[@]}"
    }
    level_painted() {
      wait_for 5 file_exists "$level" || return 1
      for cell in "${EDITOR_CELLS[@]}"; do
        read -r column row x y <<<"$cell"
        [[ "$(le32_at "$level" $(((row * 10 + column) * 8)))" == "$EDITOR_BRUSH" ]] || return 1
      done
      # Cell (0, 0) held a ball in the shipped level; "Clear" emptied it.
      [[ "$(le32_at "$level" 0)" == "4294967295" ]]
    }
    retry_input 4 paint_and_save level_painted ||
      fail "the saved level does not hold the painted cells; output: $(cat "$work/out.log")"
    (($(stat -c %s "$level") == 1040)) || fail "the saved level holds $(stat -c %s "$level") bytes, not 1040"
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/edited.tga" || fail "the edited level did not settle"
    keep_shot "$work/edited.tga"
    # "Play" tries the level: left clicks aimed straight up end the level-start panel and
    # fire the one colour there is into the two balls; the cleared level leads back to the
    # editor on the same level. The clicks are made at the lowest point the game lets the
    # cursor reach, which is in the editor's bottom row, where a late click paints nothing.
    click_at "${EDITOR_PLAY[@]}"
    deadline=$((SECONDS + 90))
    back=""
    seen_game=""
    while ((SECONDS < deadline)); do
      move_pointer_to_picture 320 369
      sleep 0.1
      click_left
      sleep 1
      move_pointer_to_picture "${NOWHERE[@]}"
      take_screenshot "$work/trying.tga" || fail "F8 wrote no screenshot while the level was tried"
      if region_same "$work/edited.tga" "$work/trying.tga" 0 0 640 480; then
        back=yes
        break
      fi
      if [[ -z "$seen_game" ]]; then
        seen_game=yes
        keep_shot "$work/trying.tga"
      fi
    done
    [[ -n "$back" ]] || fail "the tried level did not lead back to the editor; output: $(cat "$work/out.log")"
    # Escape leaves the editor for the main menu, a second Escape ends the program.
    xdotool key Escape
    wait_for_picture "$work/menu.tga" 20 || fail "Escape in the editor did not lead back to the main menu"
    quit_with_escape
    cmp -s "$work/levels.before" "$work/game/pellora_data/levels.nuf" || fail "levels.nuf was changed"
    # The next start passes the archive check and reaches the main menu.
    start_program
    move_pointer_to_picture "${NOWHERE[@]}"
    wait_for_picture "$work/menu.tga" 30 || fail "the second start did not reach the main menu"
    quit_with_escape
    ;;
  first-start)
    start_display 640x480x24
    # A Swedish keyboard has keys for å, ä and ö, so xdotool need not lend them spare keys
    # (a lent key is sometimes pressed before the program has seen the new mapping).
    command -v setxkbmap >/dev/null && setxkbmap se 2>/dev/null
    install_copy "$work/game"
    start_program
    # The intro first: the studio mark fades in, so two early screenshots differ.
    take_screenshot "$work/intro1.tga" || fail "F8 wrote no screenshot of the intro"
    [[ -e "$work/game/pellora_data/language.dat" ]] && fail "a language was stored before it was chosen"
    choose_swedish
    [[ "$(od -An -tx1 "$work/game/pellora_data/language.dat" | tr -d ' ')" == "02000000" ]] ||
      fail "language.dat is not 02 00 00 00: $(od -An -tx1 "$work/game/pellora_data/language.dat")"
    # The Swedish name entry: "åsa äö" arrives as UTF-8 and is kept in Windows-1252.
    enter_name "$(printf '\xc3\xa5sa \xc3\xa4\xc3\xb6')"
    players="$work/game/pellora_data/players.cfg"
    (($(stat -c %s "$players") == 116)) || fail "players.cfg holds $(stat -c %s "$players") bytes, not one player"
    name=$(od -An -tx1 -j 28 -N 8 "$players" | tr -d ' \n')
    [[ "$name" == "e5736120e4f60000" ]] || fail "players.cfg holds the name bytes $name, expected e5 73 61 20 e4 f6"
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/menu.tga" || fail "the main menu did not settle"
    # Options: the sound slider at its far left, then back; leaving writes sound.cfg.
    open_from_menu "${MENU_OPTIONS[@]}" "$work/options.tga" || fail "the options item showed no other screen"
    # The knob moves to the slider's left end; a click that went unseen is repeated.
    retry_input 5 'click_at "${OPTIONS_SOUND_FAR_LEFT[@]}"; move_pointer_to_picture "${NOWHERE[@]}"' \
      shows_change "$work/options.tga" "$work/slider.tga" 190 150 450 190 ||
      fail "clicks on the sound slider did not move its knob"
    xdotool key Escape
    move_pointer_to_picture "${NOWHERE[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape on the options did not lead back to the main menu"
    volume=$(le32_at "$work/game/pellora_data/sound.cfg" 6)
    [[ "$volume" == "0" ]] || fail "sound.cfg holds sample volume $volume, expected 0"
    # High scores from the menu: the child list, a click, the normal list, a click, the menu.
    open_from_menu "${MENU_HIGHSCORE[@]}" "$work/child.tga" || fail "the high-score item showed no other screen"
    click_left
    screenshot_settled "$work/normal.tga" || fail "the normal list did not settle"
    region_same "$work/child.tga" "$work/normal.tga" 0 40 640 90 && fail "a click did not change the list's title"
    region_same "$work/child.tga" "$work/normal.tga" 0 90 640 340 || fail "the default lists differ below the title"
    # A click that went unseen is repeated; the pointer is on no item of the menu.
    move_pointer_to_picture "${NOWHERE[@]}"
    retry_input 5 click_left wait_for_picture "$work/menu.tga" 6 ||
      fail "the second click did not lead back to the main menu"
    quit_with_escape
    # Files a first start does not find yet are no failure: stderr tells none.
    grep "^pellora: " "$work/out.log" && fail "the first start told failures on stderr: $(cat "$work/out.log")"
    # A second start: the intro, then straight to the main menu.
    start_program
    move_pointer_to_picture "${NOWHERE[@]}"
    wait_for_picture "$work/menu.tga" 30 || fail "the second start did not reach the main menu"
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
    [[ "$(wc -l <"$work/out.log")" == 1 ]] && grep -q "pellora_data/gfx.nuf.*reinstall" "$work/out.log" ||
      fail "stderr does not name the damaged archive in one line: $(cat "$work/out.log")"
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
  command-line)
    install_copy "$work/game"
    program="$work/game/pellora"
    "$program" --help >"$work/out.log" 2>"$work/err.log" || fail "--help gave status $?"
    grep -q "^Usage: pellora" "$work/out.log" && grep -q -- "--window" "$work/out.log" ||
      fail "--help printed: $(cat "$work/out.log")"
    [[ -s "$work/err.log" ]] && fail "--help wrote to stderr: $(cat "$work/err.log")"
    [[ "$("$program" --version)" == "Pellora $version" ]] || fail "--version printed: $("$program" --version)"
    "$program" --bogus >"$work/out.log" 2>"$work/err.log"
    status=$?
    ((status == 2)) || fail "an unknown option gave status $status"
    grep -q -- "--bogus" "$work/err.log" && grep -q "^Usage: pellora" "$work/err.log" ||
      fail "an unknown option printed: $(cat "$work/err.log")"
    ls "$work/game"/qvt*.tga "$work/game/pellora_data"/*.dat >/dev/null 2>&1 && fail "an option run wrote files"
    # --window: a 640x480 window on a larger screen; --fullscreen: the whole screen.
    start_display 1024x768x24
    # Without a window manager (as under this Xvfb) a full-screen window is not stretched, so
    # the two are told apart by the hints the window carries: only a window the player may
    # resize asks for a minimum size.
    command -v xprop >/dev/null || fail "xprop is not installed"
    resizable_window() { xprop -id "$(program_window)" WM_NORMAL_HINTS 2>/dev/null | grep -q "minimum size"; }
    start_program --window
    wait_for 10 read_window_size && ((WIDTH == 640 && HEIGHT == 480)) || fail "--window gave a ${WIDTH:-?}x${HEIGHT:-?} window"
    resizable_window || fail "--window did not start in a window: $(xprop -id "$(program_window)" WM_NORMAL_HINTS)"
    quit_with_escape
    start_program --window --fullscreen
    resizable_window && fail "--fullscreen started in a window: $(xprop -id "$(program_window)" WM_NORMAL_HINTS)"
    quit_with_escape
    ;;
  editor-keeps-saved-game)
    start_display 640x480x24
    install_copy "$work/game"
    saves="$work/game/pellora_data"
    rm -f "$saves"/*.dat "$saves"/*.cfg
    [[ -x "$files_tool" ]] || fail "no pellora_e2e_files given"
    start_program
    choose_english
    enter_name "Pella"
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/menu.tga" || fail "the main menu did not settle"
    "$files_tool" saved-game "$(dirname "$0")/quick_loss.txt" 2 183575 "$saves/ply1.sav" "$saves/ply1.lvl" ||
      fail "cannot write the saved game"
    cp "$saves/ply1.sav" "$work/ply1.sav.before" && cp "$saves/ply1.lvl" "$work/ply1.lvl.before" ||
      fail "cannot copy the saved game"
    save_kept() {
      cmp -s "$work/ply1.sav.before" "$saves/ply1.sav" && cmp -s "$work/ply1.lvl.before" "$saves/ply1.lvl"
    }
    retry_input 5 "xdotool key e" shows_change "$work/menu.tga" "$work/editor.tga" ||
      fail "E on the main menu did not open the editor"
    # "Play Cont." asks first; "No" leaves the editor as it was.
    retry_input 4 'click_at "${EDITOR_PLAY_CONT[@]}"; move_pointer_to_picture "${NOWHERE[@]}"' \
      shows_change "$work/editor.tga" "$work/question.tga" 160 150 480 300 ||
      fail "\"Play Cont.\" did not ask before replacing the saved game"
    keep_shot "$work/question.tga"
    retry_input 4 'click_at "${EDITOR_ANSWER_NO[@]}"; move_pointer_to_picture "${NOWHERE[@]}"' \
      wait_for_picture "$work/editor.tga" 5 || fail "\"No\" did not lead back to the editor as it was"
    save_kept || fail "the question changed the saved game"
    # "Play" tries the level without touching the saved game, even when left after shots.
    click_at "${EDITOR_PLAY[@]}"
    move_pointer_to_picture 320 220
    for shot in $(seq 6); do
      sleep 0.5
      click_left
    done
    sleep 2
    xdotool key Escape
    move_pointer_to_picture "${NOWHERE[@]}"
    wait_for_picture "$work/menu.tga" 30 || fail "Escape in the tried level did not lead to the main menu"
    save_kept || fail "the tried level changed the saved game"
    quit_with_escape
    save_kept || fail "the saved game changed at the end of the program"
    ;;
  alt-enter)
    start_display 1280x720x24
    install_copy "$work/game"
    start_program --window
    walk_to_main_menu "$work/menu-play.tga"
    window_is() { read_window_size && ((WIDTH == $1 && HEIGHT == $2)); }
    wait_for 10 window_is 640 480 || fail "--window gave a ${WIDTH:-?}x${HEIGHT:-?} window"
    # A key that went unseen is pressed again.
    retry_input 5 "focus_program_window; xdotool key alt+Return" wait_for 4 window_is 1280 720
    window_is 1280 720 || fail "Alt+Enter left the window at ${WIDTH:-?}x${HEIGHT:-?}, not the display's 1280x720"
    # The picture is scaled to the whole display: an item is hit where the scaled picture
    # shows it.
    move_pointer_to_picture "${NOWHERE[@]}"
    screenshot_settled "$work/menu.tga" || fail "the main menu did not settle in full screen"
    open_from_menu "${MENU_OPTIONS[@]}" "$work/options.tga" || fail "the options item was not hit in full screen"
    xdotool key Escape
    move_pointer_to_picture "${NOWHERE[@]}"
    wait_for_picture "$work/menu.tga" 20 || fail "Escape on the options did not lead back to the main menu"
    retry_input 5 "focus_program_window; xdotool key alt+Return" wait_for 4 window_is 640 480
    window_is 640 480 || fail "a second Alt+Enter left the window at ${WIDTH:-?}x${HEIGHT:-?}, not 640x480"
    quit_with_escape
    ;;
  installed)
    # cmake --install into a scratch prefix; two users with homes of their own.
    build=$(dirname "$binary")
    prefix="$work/prefix"
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
      fail "cmake --install failed: $(cat "$work/install.log")"
    for file in bin/pellora share/pellora/gfx.nuf share/pellora/sound.nuf share/pellora/levels.nuf \
      share/man/man6/pellora.6 share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/pellora.png; do
      [[ -s "$prefix/$file" ]] || fail "the install holds no $file"
    done
    ls "$prefix"/share/applications/*.desktop >/dev/null 2>&1 || fail "the install holds no desktop entry"
    ls "$prefix"/share/metainfo/*.metainfo.xml >/dev/null 2>&1 || fail "the install holds no metainfo"
    [[ -e "$prefix/bin/pellora_data" || -e "$prefix/share/pellora/players.cfg" ]] && fail "the install ships player files"
    snapshot() { (cd "$prefix" && find . -printf '%p %s %T@\n' | sort); }
    snapshot >"$work/prefix.before"
    program_file="$prefix/bin/pellora"
    mkdir -p "$work/elsewhere" && cd "$work/elsewhere" || fail "no working folder"
    unset XDG_CONFIG_HOME XDG_PICTURES_DIR
    # The first user: XDG_DATA_HOME set.
    export HOME="$work/ann" XDG_DATA_HOME="$work/ann/data"
    mkdir -p "$HOME"
    user_folder="$XDG_DATA_HOME/pellora"
    screenshot_folder="$user_folder"
    start_display 640x480x24
    start_program
    take_screenshot "$work/intro.tga" || fail "F8 wrote no screenshot into $screenshot_folder; output: $(cat "$work/out.log")"
    choose_swedish
    enter_name "Ann"
    quit_with_escape
    for file in language.dat players.cfg log.dat; do
      [[ -e "$user_folder/$file" ]] || fail "$file is not in the user folder: $(ls -la "$user_folder")"
    done
    (($(stat -c %s "$user_folder/players.cfg") == 116)) || fail "players.cfg does not hold one player"
    [[ "$(stat -c %a "$user_folder")" == 700 ]] || fail "the user folder is not private: $(stat -c %a "$user_folder")"
    snapshot >"$work/prefix.after"
    diff "$work/prefix.before" "$work/prefix.after" >&2 && [[ -z "$(ls -A "$work/elsewhere")" ]] ||
      fail "the program wrote under the prefix or into its working folder"
    # The second user: no XDG_DATA_HOME, a pictures folder of their own; a fresh first start.
    export HOME="$work/bo"
    unset XDG_DATA_HOME
    mkdir -p "$HOME/.config" "$HOME/Bilder"
    echo 'XDG_PICTURES_DIR="$HOME/Bilder"' >"$HOME/.config/user-dirs.dirs"
    user_folder="$HOME/.local/share/pellora"
    screenshot_folder="$HOME/Bilder"
    cp "$work/ann/data/pellora/players.cfg" "$work/ann.players"
    start_program
    take_screenshot "$work/intro2.tga" || fail "F8 wrote no screenshot into the pictures folder"
    [[ -e "$user_folder/language.dat" ]] && fail "the second user started with a language"
    choose_swedish
    enter_name "Bo"
    quit_with_escape
    cmp -s "$work/ann.players" "$work/ann/data/pellora/players.cfg" || fail "the second user changed the first one's players"
    name=$(od -An -c -j 28 -N 2 "$user_folder/players.cfg" | tr -d ' ')
    [[ "$name" == "Bo" ]] || fail "the second user's players.cfg holds the name $name"
    snapshot >"$work/prefix.after"
    diff "$work/prefix.before" "$work/prefix.after" >&2 || fail "the second user wrote under the prefix"
    # The archive check runs on the installed archives.
    archive="$prefix/share/pellora/levels.nuf"
    old=$(od -An -tu1 -j 100 -N1 "$archive" | tr -d ' ')
    printf "$(printf '\\%03o' $(((old + 1) % 256)))" | dd of="$archive" bs=1 seek=100 conv=notrunc status=none
    env -u DISPLAY SDL_AUDIODRIVER=dummy timeout 30 "$program_file" >"$work/out.log" 2>&1
    status=$?
    ((status == 255)) || fail "a damaged installed archive gave status $status"
    grep -q "$archive.*reinstall" "$work/out.log" || fail "stderr does not name $archive: $(cat "$work/out.log")"
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
  network-match | server-match)
    export PELLORA_LOG=debug
    # server-match: both programs are given a pellora-server on a free loopback port; the
    # host announces there and the joiner picks the host from its list, typing nothing.
    program_args=()
    if [[ "$test_case" == server-match ]]; then
      server_binary="$(dirname "$binary")/pellora-server"
      [[ -x "$server_binary" ]] || fail "no pellora-server beside $binary"
      "$server_binary" --bind 127.0.0.1 --port 0 2>"$work/server.log" &
      other_pids+=("$!")
      wait_for 10 grep -q "listening on 127.0.0.1 port [1-9]" "$work/server.log" ||
        fail "pellora-server did not start: $(cat "$work/server.log")"
      server_port=$(sed -n 's/.*listening on 127.0.0.1 port \([0-9]*\).*/\1/p' "$work/server.log" | head -n1)
      program_args=(--server "127.0.0.1:$server_port")
    fi
    start_display 640x480x24
    host_display=$DISPLAY
    other_pids+=("$xvfb_pid")
    start_display 640x480x24
    joiner_display=$DISPLAY
    other_pids+=("$xvfb_pid")
    install_copy "$work/host"
    install_copy "$work/joiner"
    host_pid=""
    joiner_pid=""
    # as_host / as_joiner: the commands that follow act on that program.
    as_program() {
      program_file="$work/$1/pellora"
      user_folder="$work/$1/pellora_data"
      screenshot_folder="$work/$1"
      program_log="$work/$1.log"
    }
    as_host() {
      as_program host
      export DISPLAY=$host_display
      program_pid=$host_pid
    }
    as_joiner() {
      as_program joiner
      export DISPLAY=$joiner_display
      program_pid=$joiner_pid
    }
    log_has() { grep -q "$2" "$work/$1.log"; }
    as_host
    start_program "${program_args[@]}"
    host_pid=$program_pid
    other_pids+=("$host_pid")
    walk_to_main_menu "$work/menu.tga"
    open_from_menu "${MENU_VERSUS[@]}" "$work/versus-menu.tga" || fail "\"Versus\" did not open the versus menu"
    cp "$work/versus-menu.tga" "$work/menu.tga"
    open_from_menu "${VERSUS_HOST[@]}" "$work/host-screen.tga" || fail "\"Host a server\" did not open its screen"
    # Round length 2 -> 5 -> 1 minute, then one round to win: each click changes its line.
    retry_input 5 "click_at ${HOST_ROUND_LENGTH[*]}" shows_change "$work/host-screen.tga" "$work/host-5min.tga" 160 240 480 276 ||
      fail "the round length did not change"
    retry_input 5 "click_at ${HOST_ROUND_LENGTH[*]}" shows_change "$work/host-5min.tga" "$work/host-1min.tga" 160 240 480 276 ||
      fail "the round length did not change again"
    retry_input 5 "click_at ${HOST_ROUNDS_TO_WIN[*]}" shows_change "$work/host-1min.tga" "$work/host-1round.tga" 160 274 480 308 ||
      fail "the rounds to win did not change"
    # Port 0: the system picks a free port, so another Pellora hosting on this machine (on
    # 27960 or any other port) is never the one joined. The screen shows the port it got.
    retry_input 5 "xdotool type 0" shows_change "$work/host-1round.tga" "$work/host-port0.tga" 160 184 480 218 ||
      fail "a typed 0 did not change the port"
    retry_input 5 "click_at ${HOST_START[*]}" shows_change "$work/host-port0.tga" "$work/host-waiting.tga" 160 310 480 400 ||
      fail "\"Start\" did not begin to wait for a player"
    keep_shot "$work/host-waiting.tga"
    wait_for 10 log_has host "StartListening port [1-9]" || fail "the host logged no port; output: $(cat "$work/host.log")"
    host_port=$(grep -o "StartListening port [0-9]*" "$work/host.log" | tail -n1 | awk '{print $3}')
    if [[ "$test_case" == server-match ]]; then
      wait_for 10 log_has host "the link to the server is listed" ||
        fail "the host did not announce its match: $(cat "$work/host.log")"
    fi
    as_joiner
    start_program "${program_args[@]}"
    joiner_pid=$program_pid
    other_pids+=("$joiner_pid")
    choose_english
    enter_name "Bea"
    move_pointer_to_picture "${MENU_PLAY[@]}"
    screenshot_settled "$work/menu.tga" || fail "the joiner's main menu did not settle"
    open_from_menu "${MENU_VERSUS[@]}" "$work/versus-menu.tga" || fail "\"Versus\" did not open the joiner's versus menu"
    cp "$work/versus-menu.tga" "$work/menu.tga"
    open_from_menu "${VERSUS_JOIN[@]}" "$work/join-screen.tga" || fail "\"Join a server\" did not open its screen"
    type_address() {
      for wipe in $(seq 16); do xdotool key BackSpace; done
      xdotool type --delay 120 "127.0.0.1:$host_port"
      xdotool key Return
    }
    if [[ "$test_case" == server-match ]]; then
      # The first row of the list: Pella's match, listed by the server.
      wait_for 15 log_has joiner "offers 1 match" || fail "the joiner's list never showed the match: $(cat "$work/joiner.log")"
      keep_shot_now() { take_screenshot "$work/joiner-list.tga" && keep_shot "$work/joiner-list.tga"; }
      keep_shot_now || fail "F8 wrote no screenshot of the joiner's list"
      retry_input 5 "click_at 320 186" wait_for 10 log_has joiner "a network match against Pella" ||
        fail "a click on the listed match did not begin it; output: $(cat "$work/joiner.log")"
      log_has joiner "joining Pella's match through the server" || fail "the joiner did not join through the server"
    else
      retry_input 5 type_address wait_for 10 log_has joiner "a network match against Pella" ||
        fail "the joiner's match did not begin; output: $(cat "$work/joiner.log")"
    fi
    wait_for 10 log_has host "a network match against Bea" || fail "the host's match did not begin; output: $(cat "$work/host.log")"
    take_screenshot "$work/joiner-match.tga" || fail "F8 wrote no screenshot in the joiner's match"
    keep_shot "$work/joiner-match.tga"
    # Both fire straight up, one shot at a time; a click on a round's panel says ready for
    # the next. One round of at most a minute decides the match.
    as_host
    move_pointer_to_picture 320 220
    as_joiner
    move_pointer_to_picture 320 220
    deadline=$((SECONDS + 150))
    shots=0
    until log_has host "the match is over" && log_has joiner "the match is over"; do
      ((SECONDS < deadline)) || fail "the match did not end within 150 s ($shots shots each)"
      as_host
      click_left
      as_joiner
      click_left
      shots=$((shots + 1))
      sleep 0.4
    done
    ((shots >= 3)) || fail "the match ended after only $shots shots each"
    host_result=$(grep "the match is over" "$work/host.log" | tail -n1 | sed 's/.*CGuiVersus: //')
    joiner_result=$(grep "the match is over" "$work/joiner.log" | tail -n1 | sed 's/.*CGuiVersus: //')
    [[ -n "$host_result" && "$host_result" == "$joiner_result" ]] ||
      fail "the programs disagree on the result: host \"$host_result\", joiner \"$joiner_result\""
    grep -q "out of step" "$work/host.log" "$work/joiner.log" && fail "a program found the match out of step"
    for side in host joiner; do
      as_$side
      take_screenshot "$work/$side-result.tga" || fail "F8 wrote no screenshot of the $side's result"
      keep_shot "$work/$side-result.tga"
    done
    # A click leaves each result for the versus menu; Escape goes to the main menu and ends
    # the program there.
    for side in host joiner; do
      as_$side
      sleep 1
      click_left
      retry_input 10 "xdotool key Escape" wait_for 2 program_ended || fail "Escapes did not end the $side's program"
      wait "$program_pid"
      status=$?
      ((status == 0)) || fail "the $side's program ended with status $status"
    done
    program_pid=""
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "PASS ($test_case)"
