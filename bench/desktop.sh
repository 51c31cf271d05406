#!/usr/bin/env bash
# What the real program costs on a desktop: starts it under its own Xvfb (640x480, so the
# full-screen picture is shown 1:1) and reports, over several runs, min..max of
#   first frame   exec to the first picture on the screen (read from Xvfb's own framebuffer)
#   idle menu     % of one core on the main menu, its picture still
#   idle paused   % of one core while the game is paused and the picture does not change
#   playing CPU   % of one core while a scripted player aims and fires continuously
#   RSS           resident memory at the end of playing (and the peak)
#   idle versus menu  % of one core on the versus menu, its picture still
#   versus CPU    % of one core while the scripted player plays a match against the computer
# Every run is a first start: it walks through the intro, the language and the name entry
# to the main menu, then starts a game, and after it a versus match.
#
#   bench/desktop.sh [pellora binary] [pellora_data folder]
#   RUNS=3 SECONDS_IDLE=5 SECONDS_PLAY=6 bench/desktop.sh build/pellora build/pellora_data
# Extra environment (PELLORA_RENDERER=software, for instance) is passed to the program;
# PICTURES=folder saves the screen of each measurement there as PNG files.
# Needs Xvfb, xdotool and python3.
set -u

here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-$here/../build/pellora}
data=${2:-$(dirname "$binary")/pellora_data}
runs=${RUNS:-3}
seconds_idle=${SECONDS_IDLE:-5}
seconds_play=${SECONDS_PLAY:-6}

for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "desktop.sh: $tool is not installed" >&2; exit 1; }
done
[[ -x "$binary" ]] || { echo "desktop.sh: no program at $binary" >&2; exit 1; }
[[ -d "$data" ]] || { echo "desktop.sh: no data folder at $data" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pellora-desktop.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game"
# The shipped archives alone: a data folder someone has played in holds their files too.
mkdir -p "$work/pellora_data" || exit 1
cp "$binary" "$work/game/pellora" || exit 1
for archive in gfx.nuf sound.nuf levels.nuf; do
  cp "$data/$archive" "$work/pellora_data/" || exit 1
done

python3 - "$work" "$runs" "$seconds_idle" "$seconds_play" <<'PYTHON'
import mmap, os, shutil, struct, subprocess, sys, time

work, runs, seconds_idle, seconds_play = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])


def fail(text):
    print("desktop.sh: " + text, file=sys.stderr)
    sys.exit(1)


class StartupError(Exception):
    """Xvfb or the program did not come up (a display number taken by someone else, say)."""


def wait_for(seconds, check, step=0.001):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(step)
    return None


def cpu_seconds(pid):
    """CPU time of all the process's threads, to the nanosecond (the scheduler's own count;
    /proc/pid/stat counts in 10 ms ticks)."""
    total = 0
    tasks = f"/proc/{pid}/task"
    for task in os.listdir(tasks):
        try:
            with open(f"{tasks}/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass   # a thread that just ended
    return total / 1e9


def memory_mb(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0]) / 1024.0
    return values.get("VmRSS", 0.0), values.get("VmHWM", 0.0)


class Screen:
    """Xvfb's screen, read straight from its framebuffer file (an XWD image)."""

    def __init__(self, folder):
        self.file = open(os.path.join(folder, "Xvfb_screen0"), "rb")
        self.map = mmap.mmap(self.file.fileno(), 0, access=mmap.ACCESS_READ)
        header = struct.unpack(">25I", self.map[:100])
        header_size, width, height = header[0], header[4], header[5]
        bits_per_pixel, bytes_per_line, ncolors = header[11], header[12], header[19]
        self.offset = header_size + ncolors * 12
        self.height = height
        self.stride = bytes_per_line
        self.pixel = bits_per_pixel // 8
        # A grid of points over the middle of the screen.
        self.points = [(width * i // 9, height * j // 9) for i in range(1, 9) for j in range(1, 9)]

    def differs_from_white(self):
        for x, y in self.points:
            at = self.offset + y * self.stride + x * self.pixel
            if self.map[at:at + 3] != b"\xff\xff\xff":
                return True
        return False

    def save_png(self, path):
        """The screen as a PNG (to look at what a run measured)."""
        import zlib
        width = self.stride // self.pixel
        rows = []
        for y in range(self.height):
            row = self.map[self.offset + y * self.stride:self.offset + (y + 1) * self.stride]
            rgb = bytearray(width * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
            rows.append(b"\0" + bytes(rgb))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, self.height, 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))

    def picture(self):
        return self.map[self.offset:self.offset + self.stride * self.height]

    def still(self, seconds):
        """True when the picture did not change for the given time."""
        first = self.picture()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            time.sleep(0.02)
            if self.picture() != first:
                return False
        return True

    def settle(self, timeout):
        """Waits until the picture has been still for a second."""
        return wait_for(timeout, lambda: self.still(1.0), 0.0) is not None


def look(screen, number, name):
    """With PICTURES=folder, the screen at each measurement is saved there as a PNG."""
    folder = os.environ.get("PICTURES")
    if folder:
        os.makedirs(folder, exist_ok=True)
        screen.save_png(os.path.join(folder, f"run{number}-{name}.png"))


# Places on the 640x480 picture (the full-screen window shows it 1:1).
ENGLISH = (240, 245)
MENU_PLAY = (320, 126)
MENU_VERSUS = (320, 334)
VERSUS_PLAY_COMPUTER = (320, 126)
NOWHERE = (600, 300)   # beside the field, where no item lies


def one_run(number):
    fbdir = os.path.join(work, f"fb{number}")
    os.makedirs(fbdir, exist_ok=True)
    display_read, display_write = os.pipe()
    # A white root window: the program's first picture (black, as the intro fades in from
    # black) shows as a change on the screen.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(display_write), "-screen", "0", "640x480x24", "-wr",
                             "-nolisten", "tcp", "-fbdir", fbdir], pass_fds=(display_write,),
                            stderr=subprocess.DEVNULL)
    os.close(display_write)
    display = ":" + os.read(display_read, 64).decode().strip()
    os.close(display_read)
    game_data = os.path.join(work, "game", "pellora_data")
    shutil.rmtree(game_data, ignore_errors=True)
    shutil.copytree(os.path.join(work, "pellora_data"), game_data)
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy")
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("WAYLAND_DISPLAY", None)
    program = None
    try:
        if xvfb.poll() is not None or not wait_for(5, lambda: os.path.exists(os.path.join(fbdir, "Xvfb_screen0"))):
            raise StartupError("Xvfb did not start")
        screen = Screen(fbdir)
        if screen.differs_from_white():
            fail("the empty screen is not white")
        start = time.monotonic()
        program = subprocess.Popen([os.path.join(work, "game", "pellora")], env=env, cwd=os.path.join(work, "game"),
                                   stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "stderr.txt"), "w"))
        if not wait_for(30, screen.differs_from_white, 0.0005):
            state = "still running" if program.poll() is None else f"ended with {program.returncode}"
            raise StartupError(f"no picture appeared within 30 s on {display} (program {state}): "
                               + open(os.path.join(work, "stderr.txt")).read())
        first_frame_ms = (time.monotonic() - start) * 1000.0

        def xdo(*args):
            subprocess.run(["xdotool", *args], env=env, check=False, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

        def click(x, y):
            # The screens read the buttons once per update step: the button stays down a while.
            xdo("mousemove", str(x), str(y), "sleep", "0.1", "mousedown", "1", "sleep", "0.15", "mouseup", "1")

        def cpu_percent(seconds):
            before = cpu_seconds(program.pid)
            time.sleep(seconds)
            return (cpu_seconds(program.pid) - before) / seconds * 100.0

        window = wait_for(10, lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Pellora$"],
                                                     env=env, capture_output=True, text=True).stdout.split(), 0.05)
        if not window:
            fail("no window named Pellora")
        xdo("windowfocus", window[0])
        # Every run is a first start: the intro (a click shortens it), the language (English),
        # the name, then the main menu.
        data = os.path.join(work, "game", "pellora_data")
        language = os.path.join(data, "language.dat")
        players = os.path.join(data, "players.cfg")
        if not wait_for(30, lambda: click(*ENGLISH) or os.path.exists(language), 0.5):
            fail("the language screen did not take a click")

        def enter_name():
            for key in ["BackSpace"] * 8:
                xdo("key", key)
            xdo("type", "--delay", "120", "Bench")
            xdo("key", "Return")
            return wait_for(2, lambda: os.path.exists(players), 0.05)

        if not wait_for(30, enter_name, 0.1):
            fail("the name entry did not take a name")
        # The main menu, the pointer on "Play" (its highlight settles too).
        xdo("mousemove", *map(str, MENU_PLAY))
        if not screen.settle(30):
            fail("the main menu did not settle")
        look(screen, number, "menu")
        idle_menu = cpu_percent(seconds_idle)
        # Play, then the pause panel once the level's opening has settled.
        if not wait_for(20, lambda: click(*MENU_PLAY) or not screen.still(0.5), 0.2):
            fail("Play did not start a game")
        xdo("mousemove", "320", "220")
        screen.settle(10)
        xdo("key", "p")
        if not screen.settle(10):
            fail("the paused game did not settle")
        look(screen, number, "paused")
        idle_paused = cpu_percent(seconds_idle)
        xdo("key", "p")
        time.sleep(0.3)
        # The player: sweeps the aim across the field and fires every 0.3 s.
        steps = []
        elapsed = 0.0
        while elapsed < seconds_play:
            for i in range(15):
                x = 200 + (i * 16 if (int(elapsed / 0.3) % 2 == 0) else 240 - i * 16)
                steps += ["mousemove", str(x), "200", "sleep", "0.02"]
            steps += ["click", "1"]
            elapsed += 0.3
        player = subprocess.Popen(["xdotool", *steps], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        playing = cpu_percent(seconds_play - 1.0)
        look(screen, number, "playing")
        rss, peak = memory_mb(program.pid)
        player.wait()
        # Escape leaves the game for the main menu; "Versus" opens the versus menu.
        xdo("key", "Escape")
        screen.settle(10)
        if not wait_for(20, lambda: click(*MENU_VERSUS) or not screen.still(0.5), 0.2):
            fail("Versus did not open the versus menu")
        xdo("mousemove", *map(str, NOWHERE))
        if not screen.settle(10):
            fail("the versus menu did not settle")
        look(screen, number, "versus-menu")
        idle_versus = cpu_percent(seconds_idle)
        # A match against the computer, the same scripted player.
        if not wait_for(20, lambda: click(*VERSUS_PLAY_COMPUTER) or not screen.still(0.5), 0.2):
            fail("Play the computer did not start a match")
        player = subprocess.Popen(["xdotool", *steps], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        versus = cpu_percent(seconds_play - 1.0)
        look(screen, number, "versus")
        player.wait()
        # Escape leaves the match for the versus menu, that for the main menu, and the main
        # menu for good (a key sent while a menu is still coming in is sent again).
        if not wait_for(30, lambda: xdo("key", "Escape") or wait_for(2, lambda: program.poll() is not None, 0.05)):
            fail("Escape did not end the program")
        return first_frame_ms, idle_menu, idle_paused, playing, rss, peak, idle_versus, versus
    finally:
        if program is not None and program.poll() is None:
            program.kill()
            program.wait()
        xvfb.terminate()
        xvfb.wait()


def run_with_retries(number):
    # Display numbers are shared with every other X server on the machine: one taken a moment
    # after Xvfb chose it makes a start fail, so a run is started again a few times.
    for attempt in range(6):
        try:
            return one_run(f"{number}.{attempt}")
        except StartupError as error:
            print(f"desktop.sh: run {number + 1} started again: {error}", file=sys.stderr)
            time.sleep(1.0)
    fail("six starts in a row failed")


results = [run_with_retries(n) for n in range(runs)]
names = ["first frame (ms)", "idle menu (% core)", "idle paused (% core)", "playing CPU (% core)", "RSS (MB)",
         "peak RSS (MB)", "idle versus menu (%)", "versus CPU (% core)"]
for column, name in enumerate(names):
    values = [r[column] for r in results]
    each = " ".join(f"{v:.1f}" for v in values)
    print(f"{name:22s} {min(values):7.1f} .. {max(values):7.1f}   ({each})")
PYTHON
