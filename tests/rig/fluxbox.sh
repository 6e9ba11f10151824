#!/usr/bin/env bash
# Starts fluxbox on $DISPLAY with a quiet configuration of its own in DIR: a bottom panel whose
# system tray takes the program's icon, no menu, no key bindings. Prints fluxbox's pid.
# Usage: tests/rig/fluxbox.sh DIR
set -u
dir=$1
mkdir -p "$dir"
cat >"$dir/init" <<INIT
session.screen0.toolbar.visible: true
session.screen0.toolbar.placement: BottomCenter
session.screen0.toolbar.widthPercent: 100
session.screen0.toolbar.tools: iconbar, systemtray, clock
session.screen0.workspaces: 1
session.screen0.rootCommand:
session.menuFile: $dir/menu
session.keyFile: $dir/keys
session.styleFile: /usr/share/fluxbox/styles/Emerge
session.screen0.defaultDeco: NORMAL
session.screen0.allowRemoteActions: false
INIT
: >"$dir/menu"
: >"$dir/keys"
fluxbox -rc "$dir/init" >"$dir/fluxbox.log" 2>&1 &
echo $!
