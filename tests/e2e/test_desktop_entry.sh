#!/usr/bin/env bash
# An install into a scratch prefix gives the desktop a launcher that opens skin packages: the
# entry is valid, "*.ssz" is its own MIME type, and that type opens with the program's entry.
. "$(dirname "$0")/lib.sh"
APP=io.github.gremlok.Gremlok
PREFIX="$E2E_DIR/prefix"

cmake --install "$GREMLOK_BUILD_DIR" --prefix "$PREFIX" >"$E2E_DIR/install.log" 2>&1 \
  || fail "cmake --install failed: $(tail -5 "$E2E_DIR/install.log")"
entry="$PREFIX/share/applications/$APP.desktop"
[ -f "$entry" ] || fail "no desktop entry at $entry"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
[ -f "$PREFIX/share/icons/hicolor/32x32/apps/$APP.png" ] || fail "no icon named $APP"
grep -qx "Icon=$APP" "$entry" || fail "the entry does not name the icon $APP"
grep -qx "50:application/x-gremlok-skin:\*.ssz" "$PREFIX/share/mime/globs2" \
  || fail "the MIME database has no *.ssz glob: $(grep gremlok "$PREFIX/share/mime/globs2")"

export XDG_DATA_HOME="$E2E_DIR/data-home" XDG_DATA_DIRS="$PREFIX/share"
answer=$(xdg-mime query default application/x-gremlok-skin)
[ "$answer" = "$APP.desktop" ] || fail "xdg-mime answers '$answer'"

echo "PASS"
