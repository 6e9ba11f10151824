#!/usr/bin/env bash
# The Debian package as a new user meets it: built with cpack, installed with apt, its desktop
# entry and AppStream description validated, its manual page shown; the program started from the
# desktop entry's Exec line by an unprivileged user on the test rig's X server, its icon found in
# the tray and one fight played with the mouse, recorded in the history its Statistics window
# shows; then the package removed, with nothing of it left.
# It installs into this system: run it by hand, as root, with no gremlok package installed.
# Usage: bash tools/check_package.sh [BUILD_DIR]   (default build; built beforehand)
set -u
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")
[ -n "${GREMLOK_RIG_DIR:-}" ] || exec tests/rig/rig.sh bash "$0" "$BUILD"
APP=io.github.gremlok.Gremlok
PLAYER=${CHECK_PACKAGE_USER:-gremlokplayer}
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }
[ "$(id -u)" = 0 ] || fail "run as root: the package is installed with apt"
dpkg -s gremlok >/dev/null 2>&1 && fail "a gremlok package is installed already; apt remove it first"

step "package"
rm -f "$BUILD"/gremlok_*.deb
(cd "$BUILD" && cpack -G DEB) >/tmp/gremlok-cpack.log 2>&1 || fail "cpack: $(tail -5 /tmp/gremlok-cpack.log)"
deb=$(ls "$BUILD"/gremlok_*.deb)
echo "$(basename "$deb"): $(( $(stat -c %s "$deb") / 1024 )) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"

step "apt install"
apt-get install -y -q "$deb" >/tmp/gremlok-apt.log 2>&1 || fail "apt install: $(tail -5 /tmp/gremlok-apt.log)"
files=$(dpkg -L gremlok) || fail "dpkg does not list the package's files"
trap 'apt-get remove -y -q gremlok >/dev/null 2>&1' EXIT
for f in /usr/bin/gremlok "/usr/share/gremlok/Skins/Base Skin.ssz" /usr/share/applications/$APP.desktop \
         /usr/share/metainfo/$APP.metainfo.xml /usr/share/icons/hicolor/48x48/apps/$APP.png \
         /usr/share/icons/hicolor/scalable/apps/$APP.svg /usr/share/mime/packages/$APP.xml \
         /usr/share/man/man6/gremlok.6.gz; do
  [ -f "$f" ] || fail "not installed: $f"
done
grep -q 'application/x-gremlok-skin' /usr/share/mime/globs2 || fail "the package's triggers did not register the skin type"
# The modules loaded on first use, in a gremlok folder of the library directory.
for m in history statistics; do
  echo "$files" | grep -qE "^/usr/lib/(.*/)?gremlok/libgremlok_$m\.so\$" || fail "the $m module is not installed"
done
ldd /usr/bin/gremlok | grep -E 'libQt6(Sql|Charts|OpenGL)' && fail "the program links what its modules are for"

step "validate"
desktop-file-validate /usr/share/applications/$APP.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/$APP.metainfo.xml \
  || fail "appstreamcli validate"
page=$(MANWIDTH=80 MANPAGER=cat man gremlok 2>&1)
echo "$page" | grep -q '^GREMLOK(6)' || fail "man gremlok: $page"
echo "$page" | sed -n '1,8p'

step "start from the desktop entry as $PLAYER"
id "$PLAYER" >/dev/null 2>&1 \
  || useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$PLAYER" \
  || fail "cannot create the user $PLAYER"
home=$(mktemp -d /tmp/gremlok-player.XXXXXX)
mkdir -p "$home/.config/Gremlok" "$home/run"
chmod 700 "$home/run"
# As a returning player: the first-run tip and hint have their own tests.
printf '[Settings]\nQuickHelp=false\nFirstRun=false\nScramble=false\nDifficulty=1\n' >"$home/.config/Gremlok/Gremlok.ini"
: >"$home/trace.log"
chown -R "$PLAYER:" "$home"
# The Exec line without its field codes (no file is opened).
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/$APP.desktop | head -1 | sed 's/ *%[fFuUdDnNickvm]//g')
echo "Exec: $exec_line"
export GREMLOK_TEST_DIR=$home XDG_CONFIG_HOME=$home/.config GREMLOK_TRACE=$home/trace.log
. tests/e2e/history_lib.sh
trap 'e2e_cleanup; apt-get remove -y -q gremlok >/dev/null 2>&1; rm -rf "$home"' EXIT
xsetroot -solid '#3a6ea5'
# shellcheck disable=SC2086 # the Exec line is split into words as a launcher does
setpriv --reuid="$PLAYER" --regid="$PLAYER" --init-groups \
  env -i PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_RUNTIME_DIR="$home/run" GREMLOK_TRACE="$home/trace.log" LANG=C.UTF-8 $exec_line >"$home/gremlok.out" 2>&1 &
GREMLOK_PID=$!
GREMLOK_PIDS+=("$GREMLOK_PID")
tray_icon_centre 15 >/dev/null || fail "no icon in the tray: $(cat "$home/gremlok.out")"
wait_trace skin 'Base Skin [0-9]+x[0-9]+ loaded' 10 || fail "the installed base skin was not loaded"
[ "$(ps -o uid= -p "$GREMLOK_PID" | tr -d ' ')" = "$(id -u "$PLAYER")" ] || fail "the program does not run as $PLAYER"
import -window root "$home/desktop.png"

step "a fight"
fight_now || fail "no fight from the tray menu"
shoot_enemy "$home/desktop.png"
wait_trace enemy dead 10 || fail "the enemy did not die"
xdotool click 3
wait_window Congratulations 5 || fail "no name prompt after a kill"
xdotool key Return
wait_window "Gremlok Best Times" 5 || fail "no Best Times"
xdotool key Return
wait_trace fight closed 5 || fail "the fight did not close"
kill_time=$(grep '^killtime' "$GREMLOK_TRACE" | cut -f2)
echo "kill time $kill_time ms"
wait_trace history "recorded kill $kill_time" 5 || fail "the fight was not recorded in the history"
[ -f "$home/.local/share/Gremlok/history.sqlite" ] || fail "no history file"
open_statistics
[ "$(stat_label lblKills)" = 1 ] || fail "the Statistics window shows $(stat_label lblKills) kills"
xdotool key Escape
wait_until 3 eval '! window_up "Gremlok Statistics"' || fail "the Statistics window stayed open"
kill "$GREMLOK_PID"
wait_exit "$GREMLOK_PID" 10 || fail "the program did not end"

step "apt remove"
apt-get remove -y -q gremlok >/tmp/gremlok-apt.log 2>&1 || fail "apt remove: $(tail -5 /tmp/gremlok-apt.log)"
dpkg -L gremlok >/dev/null 2>&1 && fail "dpkg still lists the package"
left=$(echo "$files" | while read -r f; do [ -e "$f" ] && [ ! -d "$f" ] && echo "$f"; done)
[ -z "$left" ] || fail "left behind: $left"
[ ! -e /usr/share/gremlok ] || fail "/usr/share/gremlok is still there"
grep -q 'application/x-gremlok-skin' /usr/share/mime/globs2 && fail "the skin type is still registered"
echo PASS
