#!/usr/bin/env bash
# Makes the base skin package resources/skins/Base Skin.ssz from scratch: draws the sprite
# sheet and the crosshair (tools/make_base_skin.cpp), turns the sheet into a GIF whose
# transparent parts are exactly the mask colour, makes the sounds (make_base_sounds.sh),
# writes skin.ini and packs it all. Needs g++, Qt 6, ImageMagick, sox and zip.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/resources/skins/base"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$src"

g++ -std=c++17 -O1 -fPIC -o "$tmp/make_base_skin" "$root/tools/make_base_skin.cpp" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$tmp/make_base_skin" "$tmp"
cp "$tmp/pointer.cur" "$src/pointer.cur"

# The opaque pixels are brought down to 255 colours; the transparent ones then become the
# mask colour, magenta, which no part of the creature uses, so it takes the 256th entry.
convert "$tmp/sheet.png" +dither -colors 255 "$tmp/quant.png"
convert "$tmp/quant.png" -background '#FF00FF' -alpha remove -alpha off "$src/enemy.gif"
opaque=$(convert "$tmp/sheet.png" -alpha extract -format '%[fx:mean*w*h]' info:)
magenta=$(convert "$src/enemy.gif" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' \
    -format '%[fx:mean*w*h]' info:)
if [ "$(( ${opaque%.*} + ${magenta%.*} ))" -ne $((700 * 200)) ]; then
    echo "mask colour not exact in enemy.gif ($opaque opaque, $magenta mask)" >&2
    exit 1
fi

# Windows colour values read blue, green, red; magenta is the same either way round.
printf '[Skin]\r\nMaskColor=#FF00FF\r\nNumAttackFrames=7\r\nNumDieFrames=6\r\nSprites=enemy.gif\r\n' \
    > "$src/skin.ini"

for w in enmy_sht enmy_apr enmy_die user_sht user_die user_blt; do
    [ -f "$src/$w.wav" ] || { bash "$root/tools/make_base_sounds.sh"; break; }
done

rm -f "$root/resources/skins/Base Skin.ssz"
(cd "$src" && zip -q -X -9 "$root/resources/skins/Base Skin.ssz" skin.ini enemy.gif pointer.cur \
    enmy_sht.wav enmy_apr.wav enmy_die.wav user_sht.wav user_die.wav user_blt.wav)
echo "made $root/resources/skins/Base Skin.ssz"
