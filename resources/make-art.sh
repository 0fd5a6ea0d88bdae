#!/usr/bin/env bash
# Regenerates all Sorvex artwork in this folder from nothing.
# Needs only ImageMagick 6 (`convert`, with its built-in SVG renderer) and bash.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons

# Palette shared by every picture.
BLUE='#1d5a9c' LIP='#123a66' PAPER='#ffffff' FOLD='#c3d2e5' TEXT='#9bb1cc' TEAL='#35c9b8'

# ---------------------------------------------------------------------------
# Application icon, vector master: a deep-blue rounded tile, a sheet of paper
# going into a teal slot and coming out below it as four drifting strips.
cat > sorvex.svg <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="256" height="256" viewBox="0 0 256 256">
  <title>Sorvex</title>
  <!-- tile on a darker lip -->
  <rect x="8" y="8" width="240" height="240" rx="48" ry="48" fill="$LIP" stroke="none"/>
  <rect x="8" y="8" width="240" height="232" rx="48" ry="48" fill="$BLUE" stroke="none"/>
  <!-- the still whole upper part of the sheet, folded corner top right -->
  <path d="M 68 36 L 160 36 L 188 64 L 188 124 L 68 124 Z" fill="$PAPER" stroke="none"/>
  <path d="M 160 36 L 160 64 L 188 64 Z" fill="$FOLD" stroke="none"/>
  <!-- text lines -->
  <rect x="84" y="60" width="60" height="9" fill="$TEXT" stroke="none"/>
  <rect x="84" y="79" width="88" height="9" fill="$TEXT" stroke="none"/>
  <rect x="84" y="98" width="72" height="9" fill="$TEXT" stroke="none"/>
  <!-- the slot -->
  <rect x="44" y="122" width="168" height="18" rx="9" ry="9" fill="$TEAL" stroke="none"/>
  <!-- strips coming out below the slot -->
  <path d="M 68 146 L 92 146 L 86 204 L 61 199 Z" fill="$PAPER" stroke="none"/>
  <path d="M 100 146 L 124 146 L 122 222 L 98 220 Z" fill="$PAPER" stroke="none"/>
  <path d="M 132 146 L 156 146 L 158 196 L 134 198 Z" fill="$PAPER" stroke="none"/>
  <path d="M 164 146 L 188 146 L 195 212 L 171 216 Z" fill="$PAPER" stroke="none"/>
</svg>
EOF

# 48 px and up: render the SVG at 1024 px and scale down.
big=$(mktemp --suffix=.png); trap 'rm -f "$big"' EXIT
convert -background none -density 384 sorvex.svg PNG32:"$big"
for n in 48 64 128 256; do
  convert "$big" -filter Lanczos -resize ${n}x$n -strip PNG32:icons/sorvex-$n.png
done

# 16, 24 and 32 px: the same design redrawn on the pixel grid so it stays sharp.
# small_icon SIZE CORNER-RADIUS PRIMITIVES...  (rectangles are inclusive pixel boxes)
small_icon() {
  local n=$1 r=$2; shift 2
  local m=$((n - 1))
  convert -size ${n}x$n xc:none \
    -fill "$LIP" -draw "roundrectangle 0,0 $m,$m $r,$r" \
    -fill "$BLUE" -draw "roundrectangle 0,0 $m,$((m - 1)) $r,$r" \
    +antialias "$@" -strip PNG32:icons/sorvex-$n.png
}
# 16 px: 8 px sheet, 2 text lines, 1 px slot, 3 strips.
small_icon 16 3 \
  -fill "$PAPER" -draw "rectangle 4,2 11,7" \
  -fill "$BLUE" -draw "point 11,2" -fill "$FOLD" -draw "point 10,2 point 10,3 point 11,3" \
  -fill "$TEXT" -draw "rectangle 5,4 8,4 rectangle 5,6 10,6" \
  -fill "$TEAL" -draw "rectangle 3,8 12,8" \
  -fill "$PAPER" -draw "rectangle 4,10 5,12 rectangle 7,10 8,13 rectangle 10,10 11,11"
# 24 px: 12 px sheet, 3 text lines, 2 px slot, 4 strips.
small_icon 24 4 \
  -fill "$PAPER" -draw "rectangle 6,3 17,11" \
  -fill "$BLUE" -draw "point 16,3 point 17,3 point 17,4" \
  -fill "$FOLD" -draw "point 15,3 rectangle 15,4 16,4 rectangle 15,5 17,5" \
  -fill "$TEXT" -draw "rectangle 8,5 12,5 rectangle 8,7 15,7 rectangle 8,9 13,9" \
  -fill "$TEAL" -draw "rectangle 4,12 19,13" \
  -fill "$PAPER" -draw "rectangle 6,15 7,18 rectangle 9,15 10,20 rectangle 13,15 14,17 rectangle 16,15 17,19"
# 32 px: 16 px sheet, 3 text lines, 2 px slot, 4 strips.
small_icon 32 6 \
  -fill "$PAPER" -draw "rectangle 8,4 23,14" \
  -fill "$BLUE" -draw "rectangle 21,4 23,4 rectangle 22,5 23,5 point 23,6" \
  -fill "$FOLD" -draw "point 20,4 rectangle 20,5 21,5 rectangle 20,6 22,6 rectangle 20,7 23,7" \
  -fill "$TEXT" -draw "rectangle 10,6 17,6 rectangle 10,9 21,9 rectangle 10,12 19,12" \
  -fill "$TEAL" -draw "rectangle 5,15 26,16" \
  -fill "$PAPER" -draw "rectangle 8,18 10,24 rectangle 12,18 14,27 rectangle 17,18 19,23 rectangle 21,18 23,26"

# ---------------------------------------------------------------------------
# 16 px list icons, drawn pixel by pixel (XPM text, one character per pixel).
# Yellow folder: back panel with a tab, lighter front flap, dark outline.
convert xpm:- -strip PNG32:folder.png <<'EOF'
/* XPM */
static char *folder[] = {
"16 16 6 1",
"  c None", "o c #a8720e", "b c #e5a92c", "f c #f7c948", "h c #fde28c", "s c #eab53a",
"                ",
"                ",
"  ooooo         ",
" obbbbboooooooo ",
" obbbbbbbbbbbbo ",
" obbbbbbbbbbbbo ",
" oooooooooooooo ",
" ohhhhhhhhhhhho ",
" offfffffffffso ",
" offfffffffffso ",
" offfffffffffso ",
" offfffffffffso ",
" offfffffffffso ",
" osssssssssssso ",
" oooooooooooooo ",
"                "};
EOF
# White document page: folded top-right corner, grey outline, grey text lines.
convert xpm:- -strip PNG32:document.png <<'EOF'
/* XPM */
static char *document[] = {
"16 16 5 1",
"  c None", "o c #7d8794", "w c #ffffff", "f c #d5dbe3", "t c #a3adb9",
"                ",
"  oooooooo      ",
"  owwwwwwoo     ",
"  owwwwwwofo    ",
"  owwwwwwoffo   ",
"  owwwwwwoooooo ",
"  owttttwwwwwwo ",
"  owwwwwwwwwwwo ",
"  owttttttttwwo ",
"  owwwwwwwwwwwo ",
"  owtttttttwwwo ",
"  owwwwwwwwwwwo ",
"  owttttttwwwwo ",
"  owwwwwwwwwwwo ",
"  ooooooooooooo ",
"                "};
EOF

# ---------------------------------------------------------------------------
# Welcome page banner, 161 x 313: dark blue to teal, a sheet being cut into
# strips near the top, faint scan lines and dots, the name at the bottom.
W=161 H=313 SHRED='#e9eff6'
# One strip hanging from the slot: strip X ANGLE LENGTH [text dashes in strip coordinates].
strip() { echo "push graphic-context translate $1,134 rotate $2 fill $SHRED rectangle -6,0 6,$3
  fill $TEXT ${4:-} pop graphic-context"; }
# A loose scrap: scrap X Y ANGLE HALF-WIDTH HEIGHT.
scrap() { echo "push graphic-context translate $1,$2 rotate $3 fill $SHRED rectangle -$4,0 $4,$5 pop graphic-context"; }
# The sheet, its strips and scraps, drawn once and reused for the soft shadow.
SHEET="fill $PAPER polygon 44,40 102,40 118,56 118,118 44,118
  fill $FOLD polygon 102,40 102,56 118,56
  fill $TEXT rectangle 54,56 88,60 rectangle 54,68 106,72 rectangle 54,80 98,84 rectangle 54,92 102,96 rectangle 54,104 80,108
  $(strip 50 9 62 'rectangle 4,10 6,13 rectangle 4,34 6,37')
  $(strip 65 4 88 'rectangle -6,10 6,13 rectangle -6,22 6,25 rectangle -6,34 2,37')
  $(strip 81 -1 72 'rectangle -6,10 6,13 rectangle -6,22 4,25')
  $(strip 96 -5 96 'rectangle -6,10 3,13 rectangle -6,34 -2,37')
  $(strip 112 -10 58)
  $(scrap 40 210 24 4 9) $(scrap 124 204 -28 4 8) $(scrap 82 222 14 3 6)"
convert -size ${W}x$H gradient:'#0d2547-#0f6a72' \
  \( -size ${W}x$H xc:none -fill '#ffffff0d' -draw "circle 80,110 80,250" -blur 0x30 \) -composite \
  \( -size ${W}x$H xc:none -fill '#ffffff14' \
     -draw "rectangle 0,20 160,20 rectangle 0,250 160,250 rectangle 0,258 160,258 rectangle 0,266 160,266" \
     -fill '#ffffff26' -draw "circle 20,24 21,24 circle 30,24 31,24 circle 40,24 41,24" \
     -draw "circle 121,246 122,246 circle 131,246 132,246 circle 141,246 142,246" \) -composite \
  \( -size ${W}x$H xc:none -draw "translate 2,4 $SHEET" -channel RGB -evaluate set 0 \
     -channel A -evaluate multiply 0.45 +channel -blur 0x4 \) -composite \
  -draw "$SHEET" \
  -fill "$TEAL" -draw "roundrectangle 30,119 132,128 4,4" \
  -fill '#ffffff33' -draw "rectangle 34,120 128,120" \
  -font DejaVu-Sans -pointsize 13 -fill '#ffffffcc' -gravity south -annotate +0+16 'Sorvex' \
  -fill '#ffffff40' -gravity none -draw "rectangle 60,280 100,280" \
  -strip -type TrueColor -interlace none -sampling-factor 1x1 -quality 90 welcome.jpg
