#!/usr/bin/env bash
# What the real program costs on a desktop: starts it under its own Xvfb (640x480, so the
# full-screen picture is shown 1:1) and reports, over several runs, min..max of
#   first frame   exec to the first picture on the screen (read from Xvfb's own framebuffer)
#   idle CPU      % of one core while the game is paused and the picture does not change
#   playing CPU   % of one core while a scripted player aims and fires continuously
#   RSS           resident memory at the end of playing (and the peak)
#
#   bench/desktop.sh [pellora binary] [pellora_data folder]
#   RUNS=3 SECONDS_IDLE=5 SECONDS_PLAY=6 bench/desktop.sh build/pellora build/pellora_data
# Extra environment (PELLORA_RENDERER=software, for instance) is passed to the program.
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
cp "$binary" "$work/game/pellora" && cp -r "$data" "$work/game/pellora_data" || exit 1

python3 - "$work" "$runs" "$seconds_idle" "$seconds_play" <<'PYTHON'
import mmap, os, struct, subprocess, sys, time

work, runs, seconds_idle, seconds_play = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
ticks = os.sysconf("SC_CLK_TCK")


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
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks   # utime, stime


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
        self.stride = bytes_per_line
        self.pixel = bits_per_pixel // 8
        # A grid of points over the middle of the screen.
        self.points = [(width * i // 9, height * j // 9) for i in range(1, 9) for j in range(1, 9)]

    def shows_something(self):
        for x, y in self.points:
            at = self.offset + y * self.stride + x * self.pixel
            if any(self.map[at:at + 3]):
                return True
        return False


def one_run(number):
    fbdir = os.path.join(work, f"fb{number}")
    os.makedirs(fbdir, exist_ok=True)
    display_read, display_write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(display_write), "-screen", "0", "640x480x24", "-br",
                             "-nolisten", "tcp", "-fbdir", fbdir], pass_fds=(display_write,),
                            stderr=subprocess.DEVNULL)
    os.close(display_write)
    display = ":" + os.read(display_read, 64).decode().strip()
    os.close(display_read)
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy")
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("WAYLAND_DISPLAY", None)
    program = None
    try:
        if xvfb.poll() is not None or not wait_for(5, lambda: os.path.exists(os.path.join(fbdir, "Xvfb_screen0"))):
            raise StartupError("Xvfb did not start")
        screen = Screen(fbdir)
        if screen.shows_something():
            fail("the empty screen is not black")
        start = time.monotonic()
        program = subprocess.Popen([os.path.join(work, "game", "pellora")], env=env, cwd=os.path.join(work, "game"),
                                   stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "stderr.txt"), "w"))
        if not wait_for(30, screen.shows_something, 0.0005):
            state = "still running" if program.poll() is None else f"ended with {program.returncode}"
            raise StartupError(f"no picture appeared within 30 s on {display} (program {state}): "
                               + open(os.path.join(work, "stderr.txt")).read())
        first_frame_ms = (time.monotonic() - start) * 1000.0

        def xdo(*args):
            subprocess.run(["xdotool", *args], env=env, check=False, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

        window = wait_for(10, lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Pellora$"],
                                                     env=env, capture_output=True, text=True).stdout.split(), 0.05)
        if not window:
            fail("no window named Pellora")
        xdo("windowfocus", window[0])
        xdo("mousemove", "320", "220")
        time.sleep(1.5)
        # Paused: P until the picture stops changing is not observable from here, so P once
        # after the start-up settles; the pause panel is a still picture.
        xdo("key", "p")
        time.sleep(1.0)
        before = cpu_seconds(program.pid)
        time.sleep(seconds_idle)
        idle = (cpu_seconds(program.pid) - before) / seconds_idle * 100.0
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
        before = cpu_seconds(program.pid)
        measure = seconds_play - 1.0
        time.sleep(measure)
        playing = (cpu_seconds(program.pid) - before) / measure * 100.0
        rss, peak = memory_mb(program.pid)
        player.wait()
        xdo("key", "Escape")
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            fail("Escape did not end the program")
        return first_frame_ms, idle, playing, rss, peak
    finally:
        if program is not None and program.poll() is None:
            program.kill()
            program.wait()
        xvfb.terminate()
        xvfb.wait()


def run_with_retries(number):
    for attempt in range(3):
        try:
            return one_run(f"{number}.{attempt}")
        except StartupError as error:
            print(f"desktop.sh: run {number + 1} started again: {error}", file=sys.stderr)
    fail("three starts in a row failed")


results = [run_with_retries(n) for n in range(runs)]
names = ["first frame (ms)", "idle CPU (% core)", "playing CPU (% core)", "RSS (MB)", "peak RSS (MB)"]
for column, name in enumerate(names):
    values = [r[column] for r in results]
    each = " ".join(f"{v:.1f}" for v in values)
    print(f"{name:22s} {min(values):7.1f} .. {max(values):7.1f}   ({each})")
PYTHON
