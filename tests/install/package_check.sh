#!/usr/bin/env bash
# Makes the Debian package from the install rules, unpacks it into a scratch root, checks its
# files, validates the desktop entry and the AppStream metainfo, and runs the unpacked program
# briefly under its own Xvfb with a scratch HOME.
#   package_check.sh <build folder>
# A missing tool is a failure, never a skip.
set -u
build=$(cd "$1" && pwd)

fail() {
  echo "FAIL (package): $*" >&2
  exit 1
}

for tool in cpack dpkg-deb desktop-file-validate appstreamcli Xvfb xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pellora-package.XXXXXX") || fail "no temporary folder"
xvfb_pid=""
program_pid=""
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {
  local tries=$(($1 * 10))
  shift
  while ((tries > 0)); do
    "$@" && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

(cd "$build" && cpack -G DEB -B "$work/cpack") >"$work/cpack.log" 2>&1 || fail "cpack failed: $(cat "$work/cpack.log")"
deb=$(ls "$work"/cpack/pellora_*.deb 2>/dev/null | head -n1)
[[ -n "$deb" ]] || fail "cpack made no pellora_*.deb: $(cat "$work/cpack.log")"
echo "package: $(basename "$deb")"
dpkg-deb --info "$deb" >"$work/info" || fail "dpkg-deb cannot read $deb"
grep -q "^ Section: games" "$work/info" || fail "the package is not in section games"
grep -q "^ Depends: .*libsdl2" "$work/info" || fail "the package does not depend on SDL2: $(cat "$work/info")"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
for file in usr/bin/pellora usr/share/pellora/gfx.nuf usr/share/pellora/sound.nuf usr/share/pellora/levels.nuf \
  usr/share/man/man6/pellora.6 usr/share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/pellora.png; do
  [[ -s "$root/$file" ]] || fail "the package holds no /$file"
done
for size in 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/pellora.png"
  [[ "$(od -An -tx1 -N8 "$icon" | tr -d ' ')" == "89504e470d0a1a0a" ]] || fail "$icon is no PNG"
  [[ "$(od -An -tu4 --endian=big -j16 -N8 "$icon" | tr -s ' ')" == " $size $size" ]] || fail "$icon is not ${size}x${size}"
done
desktop=$(ls "$root"/usr/share/applications/*.desktop)
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
desktop-file-validate "$desktop" || fail "desktop-file-validate refused $(basename "$desktop")"
grep -qx "Categories=Game;ArcadeGame;" "$desktop" || fail "the desktop entry is not in Game;ArcadeGame;"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refused $(basename "$metainfo")"
[[ "$(basename "$metainfo" .metainfo.xml)" == "$(basename "$desktop" .desktop)" ]] ||
  fail "the metainfo and the desktop entry have different ids"
man -l "$root/usr/share/man/man6/pellora.6" >/dev/null 2>"$work/man.log" || fail "man cannot read the page"
[[ -s "$work/man.log" ]] && fail "man complained: $(cat "$work/man.log")"

# pellora-server: the program, its page, its unit with the hardening it needs, its sample.
for file in usr/bin/pellora-server usr/share/man/man8/pellora-server.8 usr/lib/systemd/system/pellora-server.service \
  usr/share/doc/pellora/examples/pellora-server.conf; do
  [[ -s "$root/$file" ]] || fail "the package holds no /$file"
done
man -l "$root/usr/share/man/man8/pellora-server.8" >/dev/null 2>"$work/man8.log" || fail "man cannot read pellora-server.8"
[[ -s "$work/man8.log" ]] && fail "man complained about pellora-server.8: $(cat "$work/man8.log")"
unit="$root/usr/lib/systemd/system/pellora-server.service"
grep -qx "ExecStart=/usr/bin/pellora-server \$PELLORA_SERVER_ARGS" "$unit" || fail "the unit does not start /usr/bin/pellora-server"
for setting in DynamicUser=yes NoNewPrivileges=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes \
  PrivateDevices=yes CapabilityBoundingSet= "RestrictAddressFamilies=AF_INET AF_UNIX" MemoryDenyWriteExecute=yes \
  SystemCallFilter=@system-service; do
  grep -qx "$setting" "$unit" || fail "the unit lacks $setting"
done
server_version=$("$root/usr/bin/pellora-server" --version) || fail "the unpacked pellora-server does not run"
[[ "$server_version" == "pellora-server "* ]] || fail "pellora-server --version said: $server_version"
# The sample configuration is one the unpacked server takes (it stops at once on a bad one).
"$root/usr/bin/pellora-server" --config "$root/usr/share/doc/pellora/examples/pellora-server.conf" --help >/dev/null ||
  fail "pellora-server refused its sample configuration"

# The unpacked program: its version, then a short run under Xvfb that writes only into HOME.
program="$root/usr/bin/pellora"
version=$("$program" --version) || fail "the unpacked program does not run: $version"
echo "program: $version"
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_PICTURES_DIR
mkdir -p "$HOME"
: >"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$program" >"$work/out.log" 2>&1 &
program_pid=$!
has_window() { [[ -n "$(xdotool search --onlyvisible --name '^Pellora$' 2>/dev/null)" ]]; }
wait_for 30 has_window || fail "the unpacked program showed no window: $(cat "$work/out.log")"
kill -0 "$program_pid" 2>/dev/null || fail "the unpacked program ended early: $(cat "$work/out.log")"
kill "$program_pid"
wait "$program_pid" 2>/dev/null
program_pid=""
[[ -d "$HOME/.local/share/pellora" ]] || fail "the unpacked program made no ~/.local/share/pellora"
echo "PASS (package)"
