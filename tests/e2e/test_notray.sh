#!/usr/bin/env bash
# A desktop with no notification area: after the wait (shortened here through
# GREMLOK_NOTRAY_WAIT_MS) the player is told once how to reach Gremlok.
#  1. No notification service: a window comes up; its "Fight Now!" starts a fight.
#  2. A notification service (a fake one on a private bus): exactly one notification, with the
#     two actions; choosing "Fight Now!" in it starts a fight, "Options..." opens the Options.
#  3. A tray that appears late, after the program but within the wait: no notice at all.
# Runs on a bare X server of its own, with no panel.
. "$(dirname "$0")/lib.sh"
FAKE="$(dirname "$0")/fake_notifications.py"
PY=/usr/bin/python3
"$PY" -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: python3-dbus or python3-gi missing (tools/install-deps.sh)"; exit 77; }
export GREMLOK_NOTRAY_WAIT_MS=2500

exec 4< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>"$E2E_DIR/xvfb.log" & echo "pid $!")
read -r _ xvfb <&4
GREMLOK_PIDS+=("$xvfb")
read -r -t 10 n <&4 || fail "no X server"
export DISPLAY=:$n
xsetroot -solid '#3a6ea5'

mkdir -p "$(dirname "$INI")"
printf '[Settings]\nQuickHelp=false\nFirstRun=false\nScramble=false\nDifficulty=1\n' >"$INI"

# A private session bus for each round; its address goes to DBUS_SESSION_BUS_ADDRESS. It starts
# no services of its own: a notification daemon installed on this machine must not answer.
cat >"$E2E_DIR/bus.conf" <<'EOF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
new_bus() {
  local addr
  exec 5< <(dbus-daemon --config-file="$E2E_DIR/bus.conf" --nofork --print-address=1 --print-pid=1 2>"$E2E_DIR/dbus.log")
  read -r -t 10 addr <&5 || fail "no session bus"
  read -r -t 10 pid <&5 || fail "no session bus pid"
  GREMLOK_PIDS+=("$pid")
  export DBUS_SESSION_BUS_ADDRESS=$addr
}

# A fresh copy of the program with a trace and runtime folder of its own: round $1.
start_round() {
  export GREMLOK_TRACE=$E2E_DIR/trace.$1.log XDG_RUNTIME_DIR=$E2E_DIR/runtime.$1
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  start_gremlok
  wait_trace tray.tooltip Gremlok 10 || fail "round $1: the program did not come up"
}
end_round() {
  kill "$GREMLOK_PID" 2>/dev/null
  wait_exit "$GREMLOK_PID" 10 || fail "the program did not end"
}

# Starts the fake service, writing its calls to $1, with capabilities $2.
start_fake() {
  exec 6< <("$PY" "$FAKE" "$1" "${2:-}" 2>"$E2E_DIR/fake.err" & echo "pid $!")
  read -r _ fake <&6
  GREMLOK_PIDS+=("$fake")
  read -r -t 10 ready <&6 && [ "$ready" = ready ] || { cat "$E2E_DIR/fake.err" >&2; fail "the fake service did not start"; }
}
notify_calls() { [ -f "$1" ] && wc -l <"$1" || echo 0; }
has_calls() { [ "$(notify_calls "$1")" -ge "$2" ]; }
invoke() {
  dbus-send --session --type=method_call --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
    io.github.gremlok.FakeNotifications.Invoke "string:$1" || fail "could not invoke $1"
}
end_fight() {
  xdotool mousemove 640 400 click 3
  wait_trace fight closed 10 || fail "$1: the right button did not end the fight"
}

# 1. Nothing on the bus: the window.
new_bus
start_round 1
wait_trace notray.check none 15 || fail "no-tray check did not conclude"
wait_trace notray.window shown 5 || fail "no window told about the missing tray"
wait_window Gremlok 5 || fail "the notice window is not on screen"
wait_trace notray.button.cmdFightNow '[0-9]+ [0-9]+' 5 || fail "no button place traced"
import -window root "$E2E_DIR/notray_window.png"
read -r BX BY < <(grep '^notray.button.cmdFightNow	' "$GREMLOK_TRACE" | tail -1 | cut -f2)
xdotool mousemove "$BX" "$BY" click 1
wait_trace fight shown 10 || fail "the window's Fight Now! started no fight"
wait_trace notray.window closed 1 || fail "the window stayed during the fight"
end_fight "round 1"
holds_for 1 eval '[ "$(count notray.notice ".*")" -eq 1 ]' || fail "told more than once"
end_round
note "round 1: window, Fight Now! started a fight"

# 2. A service with actions.
new_bus
start_fake "$E2E_DIR/notify.2.jsonl"
start_round 2
wait_until 15 has_calls "$E2E_DIR/notify.2.jsonl" 1 || fail "no notification arrived"
wait_trace notray.notification '[1-9][0-9]*' 5 || fail "the program did not see the notification's id"
"$PY" - "$E2E_DIR/notify.2.jsonl" <<'EOF' || fail "the notification is not as it should be: $(cat "$E2E_DIR/notify.2.jsonl")"
import json, sys
n = json.loads(open(sys.argv[1]).readline())
assert n["app"] == "Gremlok", n
assert n["icon"] == "io.github.gremlok.Gremlok", n
assert n["summary"] and n["body"], n
keys, labels = n["actions"][0::2], n["actions"][1::2]
assert dict(zip(keys, labels)) == {"fight": "Fight Now!", "options": "Options..."}, n
EOF
invoke fight
wait_trace fight shown 10 || fail "the notification's Fight Now! started no fight"
end_fight "round 2"
# Chosen again, as a person would, if it came while the fight was still being taken down.
for _ in 1 2 3; do invoke options; wait_trace options shown 3 && break; done
traced options shown || fail "the notification's Options... did not open the Options"
one_call() { [ "$(notify_calls "$E2E_DIR/notify.2.jsonl")" -eq 1 ]; }
holds_for 1 one_call || fail "more than one notification"
traced notray.window shown && fail "a window as well as the notification"
end_round
note "round 2: one notification; its actions started a fight and opened the Options"

# 3. The tray comes after the program, within the wait: nothing is said, by either way.
new_bus
start_fake "$E2E_DIR/notify.4.jsonl"
start_round 4
still_waiting() { ! traced notray.check '.*'; }
holds_for 1 still_waiting || fail "the check ended before any tray existed"
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >"$E2E_DIR/trayer.log" 2>&1 &
GREMLOK_PIDS+=("$!")
tray_icon_geometry 10 >/dev/null || fail "the icon did not appear in the late tray"
wait_trace notray.check tray 10 || fail "the check did not see the tray"
nothing_told() { ! traced notray.notice '.*' && [ "$(notify_calls "$E2E_DIR/notify.4.jsonl")" -eq 0 ]; }
holds_for $(( GREMLOK_NOTRAY_WAIT_MS / 1000 + 2 )) nothing_told || fail "told about a missing tray although one appeared"
end_round
note "round 3: late tray, no notice"
echo PASS
