#!/bin/bash
# Renders the SVG sources in assets/svg into the pictures that ship (committed, so a build
# never needs this script) and writes a contact sheet to build/asset-contact-sheet.png.
#
# Needs (Debian): librsvg2-bin (rsvg-convert), imagemagick (convert) and
# fonts-dejavu-core (the banner and about texts are set in DejaVu Sans).
#   apt-get install librsvg2-bin imagemagick fonts-dejavu-core
# Installs nothing itself. Usage: tools/render-assets.sh   (from anywhere)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SVG=$ROOT/assets/svg
SKINS=$ROOT/assets/skins
ICONS=$ROOT/assets/icons
FLAGS=$ROOT/assets/Flags
SHEET=$ROOT/build/asset-contact-sheet.png

missing=()
command -v rsvg-convert >/dev/null || missing+=(librsvg2-bin)
command -v convert >/dev/null || missing+=(imagemagick)
[[ $(fc-list 2>/dev/null) == *DejaVuSans.ttf* ]] || missing+=(fonts-dejavu-core)
if ((${#missing[@]})); then
  echo "render-assets: missing packages: ${missing[*]}" >&2
  echo "install them with: apt-get install ${missing[*]}" >&2
  exit 1
fi

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$SKINS" "$ICONS" "$FLAGS" "$ROOT/build"

# Deterministic PNG: RGBA (colour type 6), no time chunks.
# shellcheck disable=SC2054  # the commas belong to the ImageMagick option
PNGOPT=(-strip -define png:exclude-chunks=date,time -define png:color-type=6)

# The zoom of the pictures being rendered: 1 for the files at 100 %, 1.5 and 2 for the larger ones
# (each side is the 100 % size times the zoom, halves rounded up, as the program scales).
ZOOM=1
# svg -> 32-bit RGBA PNG at the SVG's own size times ZOOM
png32() { # svg out
  rsvg-convert -z "$ZOOM" "$1" -o "$TMP/r.png"
  convert "$TMP/r.png" "${PNGOPT[@]}" "PNG32:$2"
}
# svg -> 24-bit BMP, transparent parts put on the colour bg
bmp24() { # svg out bg
  rsvg-convert -z "$ZOOM" "$1" -o "$TMP/r.png"
  convert "$TMP/r.png" -background "$3" -alpha remove -alpha off -type TrueColor "BMP3:$2"
}
# svg -> 24-bit PNG, transparent parts put on the colour bg (the about banner's larger sizes,
# built into the program: PNG keeps it small)
png24() { # svg out bg
  rsvg-convert -z "$ZOOM" "$1" -o "$TMP/r.png"
  convert "$TMP/r.png" -background "$3" -alpha remove -alpha off "${PNGOPT[@]/color-type=6/color-type=2}" "PNG24:$2"
}
# per-size SVGs (with @FG@/@EDGE@ tokens) -> .ico with 16, 20, 24, 32, 48 px, 32-bit with alpha
SIZES=(16 20 24 32 48)
# With a fifth argument "mark" every size also gets the "in use" dot: an orange disc with a dark
# rim at the lower right, a fifth of the icon wide, drawn over the shield (orange reads on light
# and dark taskbars alike; the rim keeps its edge on a light one).
ico() { # out svg-pattern(with %s for the size) fg edge [mark]
  local out=$1 pattern=$2 fg=$3 edge=$4 mark=${5:-} s files=()
  for s in "${SIZES[@]}"; do
    local dot=""
    if [ "$mark" = mark ]; then
      dot=$(awk -v s="$s" 'BEGIN { r = s * 0.21; w = (s < 24) ? 1 : s / 20; c = s - r - w / 2;
        printf "<circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.2f\" fill=\"#FF8A00\" stroke=\"#1E2328\" stroke-width=\"%.2f\"/>", c, c, r, w }')
    fi
    # shellcheck disable=SC2059
    sed -e "s/@FG@/$fg/g; s/@EDGE@/$edge/g; s|</svg>|$dot</svg>|" "$(printf "$pattern" "$s")" > "$TMP/i$s.svg"
    png32 "$TMP/i$s.svg" "$TMP/i$s.png"
    files+=("$TMP/i$s.png")
  done
  convert "${files[@]}" "$out"
}

echo "skins"
bmp24 "$SVG/skins/logo.svg" "$SKINS/logo.bmp" "#0A69C1"
for p in cam-on cam-off cam-disabled mic-on mic-off mic-disabled; do
  # window background; the window treats the bottom-left pixel's colour as transparent
  bmp24 "$SVG/skins/$p.svg" "$SKINS/$p.bmp" "#FBFBFB"
done
for b in "$SVG"/buttons/*.svg; do
  png32 "$b" "$SKINS/$(basename "$b" .svg).png"
done
png32 "$SVG/skins/icon_reboot.svg" "$SKINS/icon_reboot.png"

echo "icons"
ico "$ICONS/tray_normal.ico"   "$SVG/tray/tray-%s.svg" "#00B4FF" none
ico "$ICONS/tray_on.ico"       "$SVG/tray/tray-%s.svg" "#23C13D" none
ico "$ICONS/tray_off.ico"      "$SVG/tray/tray-%s.svg" "#DC4F4F" none
ico "$ICONS/tray_nodevice.ico" "$SVG/tray/tray-%s.svg" "#FFFFFF" "#1E2328"
ico "$ICONS/tray_normal_inuse.ico"   "$SVG/tray/tray-%s.svg" "#00B4FF" none mark
ico "$ICONS/tray_on_inuse.ico"       "$SVG/tray/tray-%s.svg" "#23C13D" none mark
ico "$ICONS/tray_off_inuse.ico"      "$SVG/tray/tray-%s.svg" "#DC4F4F" none mark
ico "$ICONS/tray_nodevice_inuse.ico" "$SVG/tray/tray-%s.svg" "#FFFFFF" "#1E2328" mark
ico "$ICONS/veilcap.ico"       "$SVG/program/veilcap-%s.svg" x x

echo "about"
bmp24 "$SVG/about.svg" "$ROOT/assets/about.bmp" "#FFFFFF"

echo "setup"
# The setup wizard's welcome and finish pages: 164 x 314 at 96 DPI, as NSIS lays them out.
bmp24 "$SVG/setup/wizard.svg" "$ROOT/assets/wizard.bmp" "#0A69C1"

echo "flags"
for f in "$SVG"/flags/*.svg; do
  bmp24 "$f" "$FLAGS/$(basename "$f" .svg).bmp" "#FFFFFF"
done

# The same pictures at 150 % and 200 %, each in a folder named after its scale beside the 100 %
# files (skins/150/logo.bmp, Flags/200/de-de.bmp); the program picks the smallest one at or above
# the display scale. Tray and program icons already hold every size Windows asks for.
for pct in 150 200; do
  echo "pictures at $pct %"
  ZOOM=$(awk "BEGIN { print $pct / 100 }")
  mkdir -p "$SKINS/$pct" "$FLAGS/$pct" "$ROOT/assets/$pct"
  bmp24 "$SVG/skins/logo.svg" "$SKINS/$pct/logo.bmp" "#0A69C1"
  for p in cam-on cam-off cam-disabled mic-on mic-off mic-disabled; do
    bmp24 "$SVG/skins/$p.svg" "$SKINS/$pct/$p.bmp" "#FBFBFB"
  done
  for b in "$SVG"/buttons/*.svg; do
    png32 "$b" "$SKINS/$pct/$(basename "$b" .svg).png"
  done
  png32 "$SVG/skins/icon_reboot.svg" "$SKINS/$pct/icon_reboot.png"
  png24 "$SVG/about.svg" "$ROOT/assets/$pct/about.png" "#FFFFFF"
  for f in "$SVG"/flags/*.svg; do
    bmp24 "$f" "$FLAGS/$pct/$(basename "$f" .svg).bmp" "#FFFFFF"
  done
done
ZOOM=1

echo "contact sheet"
# One tile per picture: the picture at 1x and at 4x (nearest neighbour), on a neutral grey.
# Icons show every size they hold. Not shipped: build/ is not committed.
tile() { # label out image...
  local label=$1 out=$2; shift 2
  local one=() four=() i=0 f
  for f in "$@"; do
    one+=("$f")
    convert "$f" -filter point -resize 400% "$TMP/x4_$i.png"
    four+=("$TMP/x4_$i.png"); i=$((i + 1))
  done
  convert -background none "${one[@]}" -gravity south -splice 0x0 +append "$TMP/one.png"
  convert -background none "${four[@]}" -gravity south +append "$TMP/four.png"
  convert -background "#8A8F96" "$TMP/one.png" "$TMP/four.png" -gravity south \
    -bordercolor "#8A8F96" -border 8 +append +repage "$TMP/pics.png"
  convert -background "#8A8F96" -fill "#FFFFFF" -font DejaVu-Sans -pointsize 12 label:"$label" \
    -bordercolor "#8A8F96" -border 6x3 "$TMP/pics.png" -gravity west -append +repage \
    -alpha remove -alpha off "$out"
}
n=0
T=$TMP/tiles; mkdir -p "$T"
row=()   # tiles of the current row
addtile() { tile "$@"; row+=("$2"); n=$((n + 1)); }
rows=()
endrow() { convert -background "#6E737A" "${row[@]}" -gravity northwest -splice 6x0 -gravity north +append +repage "$T/row${#rows[@]}.png"; rows+=("$T/row${#rows[@]}.png"); row=(); }

# The main window as the program composes it, with sample texts. The sample
# font is DejaVu Sans 13 px, standing in for Segoe UI.
W=$TMP/window.png
convert -size 502x332 xc:"#FBFBFB" -fill none -stroke black -draw "rectangle 0,0 501,331" \
  "$SKINS/logo.bmp" -geometry +1+1 -composite \
  "$SKINS/but_internet_normal.png" -geometry +276+4 -composite \
  "$SKINS/but_feedback_normal.png" -geometry +314+4 -composite \
  "$SKINS/but_settings_hover.png" -geometry +352+4 -composite \
  "$SKINS/but_help_normal.png" -geometry +390+4 -composite \
  "$SKINS/but_minimize.png" -geometry +428+4 -composite \
  "$SKINS/but_close.png" -geometry +466+4 -composite \
  \( "$SKINS/cam-on.bmp" -transparent "#FBFBFB" \) -geometry +36+94 -composite \
  \( "$SKINS/mic-off.bmp" -transparent "#FBFBFB" \) -geometry +260+94 -composite \
  "$SKINS/icon_reboot.png" -geometry +44+110 -composite \
  -font DejaVu-Sans -pointsize 12 -fill black -stroke none \
  -annotate +64+120 "Neustart nötig" \
  \( -size 192x36 -background none -gravity center caption:"Integrated Webcam HD (USB 2.0)" \) -gravity northwest -geometry +40+201 -composite \
  \( -size 192x36 -background none -gravity center caption:"0/2 Mikrofone bereit" \) -gravity northwest -geometry +268+201 -composite \
  "$TMP/window_raw.png"
convert "$TMP/window_raw.png" "$W"
W2=$TMP/window2.png
convert -size 502x332 xc:"#FBFBFB" -fill none -stroke black -draw "rectangle 0,0 501,331" \
  "$SKINS/logo.bmp" -geometry +1+1 -composite \
  "$SKINS/but_settings_normal.png" -geometry +352+4 -composite \
  "$SKINS/but_help_normal.png" -geometry +390+4 -composite \
  "$SKINS/but_minimize_hover.png" -geometry +428+4 -composite \
  "$SKINS/but_close_hover.png" -geometry +466+4 -composite \
  \( "$SKINS/cam-disabled.bmp" -transparent "#FBFBFB" \) -geometry +36+94 -composite \
  \( "$SKINS/mic-on.bmp" -transparent "#FBFBFB" \) -geometry +260+94 -composite \
  -font DejaVu-Sans -pointsize 12 -fill black -stroke none \
  \( -size 192x36 -background none -gravity center caption:"Keine Webcam angeschlossen" \) -gravity northwest -geometry +40+201 -composite \
  \( -size 192x36 -background none -gravity center caption:"Mikrofonarray (Realtek(R) Audio)" \) -gravity northwest -geometry +268+201 -composite \
  "$W2"
# the mock-ups at 1x and 2x only (4x would dwarf the sheet)
convert "$W" \( "$W" -filter point -resize 200% \) -background "#8A8F96" -gravity south -bordercolor "#8A8F96" -border 8 +append \
  +repage \( -fill "#FFFFFF" -font DejaVu-Sans -pointsize 12 label:"main window mock-up (sample texts; 1x and 2x)" -bordercolor "#8A8F96" -border 6x3 \) +swap -gravity west -append "$T/w1.png"
convert "$W2" -background "#8A8F96" -bordercolor "#8A8F96" -border 8 +repage \( -fill "#FFFFFF" -font DejaVu-Sans \
  -pointsize 12 label:"other states" -bordercolor "#8A8F96" -border 6x3 \) +swap -gravity west -append "$T/w2.png"
row+=("$T/w1.png" "$T/w2.png")
endrow
addtile "logo.bmp 500x64" "$T/00.png" "$SKINS/logo.bmp"
endrow
for p in cam-on cam-off cam-disabled; do addtile "$p.bmp 200x205" "$T/1$p.png" "$SKINS/$p.bmp"; done
endrow
for p in mic-on mic-off mic-disabled; do addtile "$p.bmp 200x205" "$T/1$p.png" "$SKINS/$p.bmp"; done
endrow
for b in close minimize help settings internet feedback; do
  nb=$b; [ "$b" = close ] || [ "$b" = minimize ] || nb=${b}_normal
  hb=${b}_hover
  # buttons are shown on a piece of the banner, as in the window
  for v in "$nb" "$hb"; do
    convert "$SKINS/logo.bmp" -crop 32x32+440+3 +repage "$SKINS/but_$v.png" -composite "$TMP/on_$v.png"
  done
  addtile "but_$nb + hover" "$T/2$b.png" "$TMP/on_$nb.png" "$TMP/on_$hb.png"
done
convert -size 16x16 xc:"#FBFBFB" "$SKINS/icon_reboot.png" -composite "$TMP/reboot.png"
addtile "icon_reboot.png" "$T/3reboot.png" "$TMP/reboot.png"
endrow
for ic in tray_normal tray_on tray_off tray_nodevice tray_normal_inuse tray_on_inuse tray_off_inuse tray_nodevice_inuse veilcap; do
  for bg in light dark; do
    col="#F3F3F3"; [ $bg = dark ] && col="#202020"
    frames=()
    for k in 0 1 2 3 4; do
      convert "$ICONS/$ic.ico[$k]" -background "$col" -alpha remove -alpha off "$TMP/${ic}_${bg}_$k.png"
      frames+=("$TMP/${ic}_${bg}_$k.png")
    done
    addtile "$ic.ico on $bg" "$T/4${ic}_$bg.png" "${frames[@]}"
  done
  [ $ic = tray_on ] && endrow
  [ $ic = tray_nodevice ] && endrow
  [ $ic = tray_on_inuse ] && endrow
done
endrow
addtile "about.bmp 417x372" "$T/5about.png" "$ROOT/assets/about.bmp"
addtile "wizard.bmp 164x314 (setup)" "$T/5wizard.png" "$ROOT/assets/wizard.bmp"
endrow
i=0
for f in "$FLAGS"/*.bmp; do
  addtile "$(basename "$f")" "$T/6$(basename "$f" .bmp).png" "$f"
  i=$((i + 1)); [ $((i % 8)) = 0 ] && endrow
done
((${#row[@]})) && endrow
convert -background "#6E737A" "${rows[@]}" -gravity northwest -splice 0x6 -gravity west -append -bordercolor "#6E737A" -border 6 +repage -depth 8 "$SHEET"
echo "wrote $n tiles to ${SHEET#"$ROOT"/}"
