#!/usr/bin/env bash
# Draws the LCD panel's pictures and the link lamp pictures and stores them as JPEG files in
# resources/. Each picture is drawn at eight times its size and scaled down, so thin lines
# stay smooth. Run it again after changing a drawing, then commit the .jpg files.
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/resources"
font=DejaVu-Sans-Bold
s=8  # drawing scale

# picture <name> <width> <height> <draw arguments...>
picture() {
    local name=$1 w=$2 h=$3
    shift 3
    convert -size $((w * s))x$((h * s)) xc:white "$@" -resize "${w}x${h}!" \
        -strip -quality 92 -sampling-factor 1x1 "$out/$name.jpg"
}

# LCDsend: a monitor whose screen shows the letter S (link activity).
picture LCDsend 36 29 \
    -fill none -stroke black -strokewidth 14 -draw "roundrectangle 16,10 272,176 18,18" \
    -fill black -stroke none -draw "rectangle 128,176 160,204" -draw "rectangle 72,204 216,222" \
    -font "$font" -pointsize 150 -fill black -gravity center -annotate +0-18 "S"

# LCDREL: an outlined triangle (relative mode).
picture LCDREL 24 24 \
    -fill none -stroke black -strokewidth 18 -draw "polygon 96,18 176,170 16,170"

# EF: a triangle with the letters EF.
picture EF 24 25 \
    -fill none -stroke black -strokewidth 12 -draw "polygon 96,8 186,192 6,192" \
    -font "$font" -pointsize 64 -fill black -stroke none -gravity center -annotate +0+34 "EF"

# LCDpower: a small dial.
picture LCDpower 28 29 \
    -fill none -stroke black -strokewidth 14 -draw "circle 112,120 112,24" \
    -strokewidth 16 -draw "line 112,120 168,64" \
    -fill black -stroke none -draw "circle 112,120 112,136"

# meter <name> <height> <screen colour>: a meter and a computer joined by a cable.
meter() {
    local name=$1 h=$2 screen=$3
    local bottom=$((h * s - 8))
    picture "$name" 25 "$h" \
        -fill "#f4d000" -stroke black -strokewidth 6 -draw "roundrectangle 6,6 74,$bottom 8,8" \
        -fill "$screen" -strokewidth 4 -draw "rectangle 16,16 64,$((bottom / 2))" \
        -fill "#404040" -stroke none -draw "circle 40,$((bottom * 3 / 4)) 40,$((bottom * 3 / 4 + 12))" \
        -fill none -stroke black -strokewidth 6 -draw "line 74,$((bottom / 2)) 104,$((bottom / 2))" \
        -fill "#d8d8d8" -stroke black -strokewidth 6 -draw "rectangle 104,10 194,$((bottom - 30))" \
        -fill "#80c0ff" -strokewidth 4 -draw "rectangle 116,22 182,$((bottom - 44))" \
        -fill "#a0a0a0" -stroke black -strokewidth 4 -draw "rectangle 120,$((bottom - 22)) 178,$bottom"
}

# CONok: the meter's screen lit; CONokN: the same with the screen dark.
meter CONok 24 "#40ff40"
meter CONokN 20 "#202020"

# The program's icon for the desktop (resources/linux/vxm90-<size>.png): the small meter the
# window draws as its own icon (ui/window_icons.cpp), on the same 16 x 16 grid.
for size in 48 64 128; do
    u=$((size * s / 16))
    convert -size $((16 * u))x$((16 * u)) xc:none -draw "scale $u,$u \
        stroke #282828 stroke-width 0.8 fill #ffc400 roundrectangle 2.5,0.5 13.5,15.5 2,2 \
        fill #c8dcbe rectangle 4,2 12,6.5 fill #464646 circle 8,10.5 8,13.1 \
        fill red circle 5,14 5,14.9 fill black circle 11,14 11,14.9 \
        fill none stroke black stroke-width 0.9 line 5,5 7,3.5 line 8,3.5 11,5" \
        -resize "${size}x${size}" -depth 8 -strip "$out/linux/vxm90-$size.png"
done
