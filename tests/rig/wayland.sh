#!/usr/bin/env bash
# The Wayland test rig: a headless sway session (one 1920x1080 output, a patterned background),
# a session bus of its own, waybar with only its tray (the StatusNotifierItem watcher and host),
# xdg-desktop-portal with its wlr and gtk back ends, and pipewire where it starts. Runs the given
# command inside the session and tears everything down afterwards.
# Usage: tests/rig/wayland.sh COMMAND [ARGS...]
# sway refuses to run as root, so as root the session (and the command) runs as an unprivileged
# user made for it (WAYLAND_RIG_USER, default gremloktest). The command sees WAYLAND_DISPLAY (an
# absolute path, so a private XDG_RUNTIME_DIR does not lose it), SWAYSOCK, DBUS_SESSION_BUS_ADDRESS,
# and WAYLAND_RIG_OUT, a folder whose files are copied back to $WAYLAND_RIG_OUT of the caller.
# WAYLAND_RIG_PORTAL=0 runs the session without any desktop portal (none started, none activatable).
# WAYLAND_RIG_POINTER is 1 when "swaymsg seat seat0 cursor ..." moves and clicks (wayvnc installed).
# WAYLAND_RIG_X11 holds the session's XWayland display when sway could start one (xwayland installed).
# Exits 77 (a skip) with a clear message when something the rig needs is missing or cannot run.
set -u
SKIP=77
skip() { echo "wayland rig: SKIP: $*" >&2; exit $SKIP; }
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  for tool in sway swaymsg swaybg waybar grim wtype dbus-run-session dbus-update-activation-environment busctl \
              /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (tools/install-deps.sh installs it)"
  done
  [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so ] \
    || ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 \
    || skip "Qt's Wayland plug-in (qt6-wayland) is not installed"

  RIG=$(mktemp -d /tmp/gremlok-wl.XXXXXX)
  mkdir -p "$RIG/run" "$RIG/config" "$RIG/home" "$RIG/out"
  chmod 700 "$RIG/run"
  run_as=()
  if [ "$(id -u)" = 0 ]; then
    user=${WAYLAND_RIG_USER:-gremloktest}
    if ! id "$user" >/dev/null 2>&1; then
      useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" >/dev/null 2>&1 \
        || skip "cannot create the unprivileged user $user that sway needs"
    fi
    chown -R "$user:$user" "$RIG"
    # The session reaches the program and the sources, so they must be readable by that user.
    for f in ${GREMLOK:-} ${GREMLOK_SOURCE_DIR:-}; do
      runuser -u "$user" -- test -r "$f" || skip "$f is not readable by $user"
    done
    run_as=(setpriv --reuid="$user" --regid="$user" --init-groups)
  fi
  bus_config=()
  if [ "${WAYLAND_RIG_PORTAL:-1}" = 0 ]; then
    # A session bus that activates nothing: no portal can answer.
    mkdir -p "$RIG/services"
    cat >"$RIG/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$RIG/services</servicedir>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
    bus_config=(--config-file="$RIG/session.conf")
  fi
  env -i PATH="$PATH" HOME="$RIG/home" LANG="${LANG:-C.UTF-8}" \
    WAYLAND_RIG_INNER=1 RIG="$RIG" \
    ${GREMLOK:+GREMLOK="$GREMLOK"} ${GREMLOK_SOURCE_DIR:+GREMLOK_SOURCE_DIR="$GREMLOK_SOURCE_DIR"} \
    ${GREMLOK_BUILD_DIR:+GREMLOK_BUILD_DIR="$GREMLOK_BUILD_DIR"} ${QT_QPA_PLATFORM:+QT_QPA_PLATFORM="$QT_QPA_PLATFORM"} \
    ${RIG_KEEP_LOGS:+RIG_KEEP_LOGS=1} WAYLAND_RIG_PORTAL="${WAYLAND_RIG_PORTAL:-1}" \
    "${run_as[@]}" dbus-run-session "${bus_config[@]}" -- bash "$here/wayland.sh" "$@"
  status=$?
  if [ -n "${WAYLAND_RIG_OUT:-}" ] && [ -n "$(ls -A "$RIG/out" 2>/dev/null)" ]; then
    mkdir -p "$WAYLAND_RIG_OUT" && cp -r "$RIG/out/." "$WAYLAND_RIG_OUT/"
  fi
  if [ "$status" != 0 ] && [ "$status" != "$SKIP" ]; then
    for log in "$RIG"/*.log; do [ -s "$log" ] && { echo "--- $log"; tail -n 15 "$log"; } >&2; done
  fi
  rm -rf "$RIG"
  exit $status
fi

# ---- Inside the session bus, as the unprivileged user.
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.3
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
}
trap cleanup EXIT INT TERM
export XDG_RUNTIME_DIR="$RIG/run" XDG_CONFIG_HOME="$RIG/config" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway
export WAYLAND_RIG_OUT="$RIG/out"
unset DISPLAY

# A background with detail in it, so that a frozen desktop can be told from a plain colour.
convert -size 1920x1080 gradient:'#2d5f8b-#c8a060' \
  \( -size 1920x1080 pattern:checkerboard -alpha set -channel A -evaluate set 25% \) -composite \
  "$RIG/background.png" 2>"$RIG/convert.log" \
  || convert -size 1920x1080 gradient:'#2d5f8b-#c8a060' "$RIG/background.png"
cat >"$RIG/sway.conf" <<CONF
output HEADLESS-1 resolution 1920x1080 position 0 0 bg $RIG/background.png stretch
default_border none
focus_follows_mouse no
# The headless output draws the pointer into its picture, so every grab (grim's and the portal's)
# would hold it: hidden once it rests.
seat seat0 hide_cursor 100
CONF
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1 \
  sway -c "$RIG/sway.conf" >"$RIG/sway.log" 2>&1 &
pids+=($!)
sock=
for _ in $(seq 100); do
  sock=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n 1)
  wl=$(ls "$XDG_RUNTIME_DIR"/wayland-* 2>/dev/null | grep -v '\.lock$' | head -n 1)
  [ -n "$sock" ] && [ -n "$wl" ] && SWAYSOCK=$sock swaymsg -t get_version >/dev/null 2>&1 && break
  sock=
  sleep 0.1
done
[ -n "$sock" ] || { tail -n 20 "$RIG/sway.log" >&2; skip "headless sway did not start"; }
export SWAYSOCK=$sock WAYLAND_DISPLAY=$wl
dbus-update-activation-environment WAYLAND_DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_RUNTIME_DIR

if command -v pipewire >/dev/null 2>&1; then
  pipewire >"$RIG/pipewire.log" 2>&1 &
  pids+=($!)
fi

# The panel: waybar with only its tray.
mkdir -p "$RIG/waybar"
cat >"$RIG/waybar/config" <<'JSON'
{ "layer": "top", "position": "bottom", "height": 28, "modules-right": ["tray"],
  "tray": { "icon-size": 22, "spacing": 6 } }
JSON
printf '* { font-size: 12px; } window#waybar { background: #202428; }\n' >"$RIG/waybar/style.css"
GDK_BACKEND=wayland waybar -c "$RIG/waybar/config" -s "$RIG/waybar/style.css" >"$RIG/waybar.log" 2>&1 &
pids+=($!)

# The portals, started here so that their output lands in the rig's logs.
if [ "$WAYLAND_RIG_PORTAL" != 0 ]; then
  GDK_BACKEND=wayland /usr/libexec/xdg-desktop-portal-wlr >"$RIG/portal-wlr.log" 2>&1 &
  pids+=($!)
  GDK_BACKEND=wayland /usr/libexec/xdg-desktop-portal-gtk >"$RIG/portal-gtk.log" 2>&1 &
  pids+=($!)
  /usr/libexec/xdg-desktop-portal >"$RIG/portal.log" 2>&1 &
  pids+=($!)
fi

on_bus() { busctl --user list --no-pager 2>/dev/null | awk '{print $1}' | grep -qx "$1"; }
for _ in $(seq 100); do
  on_bus org.kde.StatusNotifierWatcher && { [ "$WAYLAND_RIG_PORTAL" = 0 ] || on_bus org.freedesktop.portal.Desktop; } && break
  sleep 0.1
done
on_bus org.kde.StatusNotifierWatcher || { tail -n 20 "$RIG/waybar.log" >&2; skip "waybar's tray (the StatusNotifierItem watcher) did not start"; }
[ "$WAYLAND_RIG_PORTAL" = 0 ] || on_bus org.freedesktop.portal.Desktop \
  || { tail -n 20 "$RIG/portal.log" >&2; skip "xdg-desktop-portal did not start"; }

# A pointer: sway only lets "seat seat0 cursor set|press|release" reach clients once a pointer
# device sits on the seat; wayvnc adds a virtual one (its VNC socket is private to the rig).
WAYLAND_RIG_POINTER=
if command -v wayvnc >/dev/null 2>&1; then
  wayvnc -u "$RIG/vnc.sock" >"$RIG/wayvnc.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    swaymsg -t get_seats 2>/dev/null | grep -q '"virtual pointer"' && { WAYLAND_RIG_POINTER=1; break; }
    sleep 0.1
  done
fi
export WAYLAND_RIG_POINTER

# sway starts XWayland for its own children only; ask one of them which display it is.
WAYLAND_RIG_X11=
if command -v Xwayland >/dev/null 2>&1; then
  swaymsg exec "echo \$DISPLAY >$RIG/x11display" >/dev/null
  for _ in $(seq 50); do [ -s "$RIG/x11display" ] && break; sleep 0.1; done
  WAYLAND_RIG_X11=$(cat "$RIG/x11display" 2>/dev/null)
fi
export WAYLAND_RIG_X11

"$@"
status=$?
[ -n "${RIG_KEEP_LOGS:-}" ] && cp "$RIG"/*.log "$RIG/out/" 2>/dev/null
exit $status
