#!/usr/bin/env bash
# An install is laid out as a Linux desktop expects, validates, and keeps working when its
# prefix is moved: the program finds its Skins folder from where it is, not from where it was put.
. "$(dirname "$0")/lib.sh"
APP=io.github.gremlok.Gremlok
FIRST="$E2E_DIR/first" MOVED="$E2E_DIR/moved"

cmake --install "$GREMLOK_BUILD_DIR" --prefix "$FIRST" >"$E2E_DIR/install.log" 2>&1 \
  || fail "cmake --install failed: $(tail -5 "$E2E_DIR/install.log")"
mv "$FIRST" "$MOVED"

[ -f "$MOVED/bin/gremlok" ] && [ ! -L "$MOVED/bin/gremlok" ] || fail "bin/gremlok is not the program"
[ -f "$MOVED/share/gremlok/Skins/Base Skin.ssz" ] || fail "no base skin in share/gremlok/Skins"
for size in 16 32 48 256; do
  icon="$MOVED/share/icons/hicolor/${size}x${size}/apps/$APP.png"
  identify -format '%wx%h' "$icon" 2>/dev/null | grep -qx "${size}x${size}" \
    || fail "icon $size: $(identify "$icon" 2>&1)"
done
[ -s "$MOVED/share/icons/hicolor/scalable/apps/$APP.svg" ] || fail "no scalable icon"
desktop-file-validate "$MOVED/share/applications/$APP.desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$MOVED/share/metainfo/$APP.metainfo.xml" >"$E2E_DIR/appstream.log" 2>&1 \
  || fail "metainfo: $(cat "$E2E_DIR/appstream.log")"
page=$(MANWIDTH=80 man -l "$MOVED/share/man/man6/gremlok.6.gz" 2>&1)
echo "$page" | grep -q '^GREMLOK(6)' || fail "the man page does not format: $page"
echo "$page" | grep -q -- '--listen' || fail "the man page lacks the command line"

out=$("$MOVED/bin/gremlok" --version) || fail "the moved program did not run"
echo "$out" | grep -q '^Gremlok ' || fail "the moved program said: $out"

# Started from the moved prefix, it plays with the base skin shipped there.
GREMLOK="$MOVED/bin/gremlok"
start_gremlok
wait_trace skin 'Base Skin [0-9]+x[0-9]+ loaded' 20 \
  || fail "the moved program did not load its base skin: $(grep '^skin' "$GREMLOK_TRACE")"
echo "PASS"
