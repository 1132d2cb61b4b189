#!/usr/bin/env bash
# Draws the window icon and the footer picture with ImageMagick, at every size the editions use:
#   stakora.png (48 x 48) and stakora-16/32/192/256/512.png, stakora.ico with 16, 32, 48 and 256:
#   the launcher icons, a rounded teal square with a margin on a transparent background, so
#   that a dock, the Start menu or an install dialog shows the square and not a grey box;
#   for phones, stakora-180.png (the home-screen icon of iOS, which rounds it itself and wants no
#   transparency) and stakora-maskable-512.png (Android crops it to its own shape: the motif
#   keeps within the middle 80%), both opaque, on teal to the edges;
#   footer.jpg (156 x 16) and footer@2x.jpg for HiDPI screens, footer.bmp and footer@2x.bmp for
#   Windows, which shows bitmaps without an image decoder.
# The outputs are committed; run this again only to change the artwork.
#   apt-get install imagemagick pngquant fonts-dejavu-core && resources/make_artwork.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

teal='rgb(24,120,137)'
grey='rgb(192,192,192)'
gold='rgb(232,185,35)'
rim='rgb(138,106,0)'

# A stack of four coins on the prize box's teal, with a rising arrow: a plan of growing stakes.
# Drawn on a 48-unit grid, scaled so that the motif takes SHARE of SIZE pixels, centred. On a
# BACKGROUND of "none" the rounded square is the icon; on teal, the teal reaches every edge.
draw_icon() {
    local size=$1 out=$2 share=$3 background=$4
    local scale offset
    scale=$(awk "BEGIN { print $size / 48 * $share }")
    offset=$(awk "BEGIN { print $size * (1 - $share) / 2 }")
    local affine="affine $scale,0,0,$scale,$offset,$offset"
    local coins=()
    for y in 38 32 26 20; do
        coins+=(-draw "$affine path 'M 6,$y A 11,4 0 0 0 28,$y L 28,$((y - 4)) A 11,4 0 0 0 6,$((y - 4)) Z'")
        coins+=(-draw "$affine ellipse 17,$((y - 4)) 11,4 0,360")
    done
    local format=(-type TrueColorAlpha -define png:color-type=6 "PNG32:$out")
    [ "$background" = none ] || format=(-type TrueColor -define png:color-type=2 "PNG24:$out")
    convert -size "${size}x${size}" "xc:$background" \
        -fill "$teal" -stroke none -draw "$affine roundrectangle 0,0 47,47 9,9" \
        -fill "$gold" -stroke "$rim" -strokewidth 1.2 "${coins[@]}" \
        -fill none -stroke white -strokewidth 3 -draw "$affine polyline 31,34 36,24 41,14" \
        -fill white -stroke none -draw "$affine polygon 35,12 44,8 43,18" \
        -define png:exclude-chunks=date,time "${format[@]}"
}
# A margin of 3 units in 48 each side (1 pixel at 16), as desktop icon themes draw theirs.
launcher=0.875
draw_icon 48 stakora.png $launcher none
for size in 16 32 192 256 512; do
    draw_icon "$size" "stakora-$size.png" $launcher none
done
convert stakora-16.png stakora-32.png stakora.png stakora-256.png stakora.ico
draw_icon 180 stakora-180.png 0.86 "$teal"
draw_icon 512 stakora-maskable-512.png 0.72 "$teal"
# The icons only the browser edition uses, in 64 colours: a third of the bytes, the same look.
# pngquant gives each palette entry its own opacity, so the transparent ones keep soft edges.
for icon in stakora-180.png stakora-192.png stakora-512.png stakora-maskable-512.png; do
    pngquant --speed 1 --strip --force --output "$icon" 64 "$icon"
done

# The footer: the program's name on a teal-to-grey band, at 1x and 2x; the last arguments say
# how to write it. No version number: the picture is drawn once, the version changes.
draw_footer() {
    local scale=$1
    shift
    convert -size "$((16 * scale))x$((156 * scale))" "gradient:$teal-$grey" -rotate -90 \
        -font DejaVu-Sans-Bold -pointsize $((9 * scale)) -fill white -gravity west \
        -annotate "+$((6 * scale))+0" 'STAKORA' "$@"
}
draw_footer 1 -quality 92 footer.jpg
draw_footer 2 -quality 92 footer@2x.jpg
draw_footer 1 -type TrueColor BMP3:footer.bmp
draw_footer 2 -type TrueColor BMP3:footer@2x.bmp
