#!/usr/bin/env bash
# The test rig: a virtual X screen (1920x1080) with a window manager whose panel holds a system
# tray (fluxbox, quiet config of its own), and a PulseAudio server whose only sink is a null
# sink. Runs the given command inside it and tears everything down afterwards, whatever the
# command's outcome. Usage: tests/rig/rig.sh COMMAND [ARGS...]
# Options in the environment: RIG_SCREEN (the X screen, WxHxDEPTH); RIG_MONITORS, monitors that
# split it ("1920x1080+0+0 1920x1080+1920+0": programs and the window manager see two screens);
# RIG_DPI (the desktop's Xft.dpi: 192 makes Qt scale by 2); RIG_WM=trayer; RIG_SOUND=0.
set -u
RIG=$(mktemp -d /tmp/gremlok-rig.XXXXXX)
chmod 700 "$RIG"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.3
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  rm -rf "$RIG"
}
trap cleanup EXIT INT TERM

# The server picks a free display number itself and tells it on a pipe.
exec 3< <(Xvfb -displayfd 1 -screen 0 ${RIG_SCREEN:-1920x1080x24} -nolisten tcp -noreset 2>"$RIG/xvfb.log" & echo "pid $!")
read -r _ xvfb_pid <&3
pids+=("$xvfb_pid")
n=
read -r -t 10 n <&3
[ -n "$n" ] || { echo "rig: Xvfb did not start" >&2; cat "$RIG/xvfb.log" >&2; exit 1; }
export DISPLAY=:$n
xdpyinfo >/dev/null 2>&1 || { echo "rig: Xvfb did not answer" >&2; cat "$RIG/xvfb.log" >&2; exit 1; }
# RandR monitors, set before the window manager starts so that it sees them as heads.
i=0
for m in ${RIG_MONITORS:-}; do
  w=${m%%x*} rest=${m#*x}; h=${rest%%+*} xy=${rest#*+}
  output=none; [ $i = 0 ] && output=screen
  xrandr --setmonitor "rig$i" "$w/$((w * 254 / 960))x$h/$((h * 254 / 960))+$xy" "$output" >/dev/null \
    || { echo "rig: monitor $m refused" >&2; exit 1; }
  i=$((i + 1))
done
[ -n "${RIG_DPI:-}" ] && echo "Xft.dpi: $RIG_DPI" | xrdb -merge

if [ "${RIG_WM:-fluxbox}" = fluxbox ]; then
  pids+=("$("$(dirname "$0")/fluxbox.sh" "$RIG/fluxbox")")
else
  trayer --edge bottom --align right --widthtype pixel --width 200 --height 28 >"$RIG/trayer.log" 2>&1 &
  pids+=($!)
fi
# Wait until the window manager is up, then give its tray a moment to claim its selection.
if [ "${RIG_WM:-fluxbox}" = fluxbox ]; then
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
fi
sleep 0.5

# Sound: a private PulseAudio server with a null sink.
if command -v pulseaudio >/dev/null 2>&1 && [ "${RIG_SOUND:-1}" = 1 ]; then
  mkdir -p "$RIG/pulse"
  chmod 700 "$RIG/pulse"
  XDG_RUNTIME_DIR="$RIG/pulse" HOME="$RIG/pulse" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --use-pid-file=no --system=false \
    -L "module-null-sink sink_name=gremlok_null rate=44100" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$RIG/pulse/native" \
    >"$RIG/pulse.log" 2>&1 &
  pids+=($!)
  export PULSE_SERVER="unix:$RIG/pulse/native"
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink gremlok_null >/dev/null 2>&1
fi
export GREMLOK_RIG_DIR="$RIG"

"$@"
status=$?
exit $status
