#!/usr/bin/env bash
# Draws the window icon (48 x 48, 24-bit) and the footer picture (156 x 16, JPEG) with
# ImageMagick. The outputs are committed; run this again only to change the artwork.
#   apt-get install imagemagick fonts-dejavu-core && resources/make_artwork.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

teal='rgb(24,120,137)'
grey='rgb(192,192,192)'
gold='rgb(232,185,35)'
rim='rgb(138,106,0)'

# A stack of four coins on the prize box's teal, with a rising arrow: a plan of growing stakes.
coins=()
for y in 38 32 26 20; do
    coins+=(-draw "path 'M 6,$y A 11,4 0 0 0 28,$y L 28,$((y - 4)) A 11,4 0 0 0 6,$((y - 4)) Z'")
    coins+=(-draw "ellipse 17,$((y - 4)) 11,4 0,360")
done
convert -size 48x48 "xc:$grey" \
    -fill "$teal" -stroke none -draw 'roundrectangle 0,0 47,47 9,9' \
    -fill "$gold" -stroke "$rim" -strokewidth 1.2 "${coins[@]}" \
    -fill none -stroke white -strokewidth 3 -draw 'polyline 31,34 36,24 41,14' \
    -fill white -stroke none -draw 'polygon 35,12 44,8 43,18' \
    -type TrueColor -define png:color-type=2 PNG24:stakora.png
convert stakora.png stakora.ico  # the same icon for Windows builds

# The footer: the program's name on a teal-to-grey band.
convert -size 16x156 "gradient:$teal-$grey" -rotate -90 \
    -font DejaVu-Sans-Bold -pointsize 9 -fill white -gravity west \
    -annotate +6+0 'STAKORA  1.00' \
    -quality 92 footer.jpg
