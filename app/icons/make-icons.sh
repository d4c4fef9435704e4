#!/usr/bin/env bash
# Draws the two icons of the program with ImageMagick and packs each into a .ico file:
# marlin.ico (the application icon: a marlin over a blue disc) and folder.ico (a small
# folder for the file-picker button). Run it again after changing a drawing; the .ico files
# are committed, so the build does not need ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The marlin, drawn on a 256-pixel canvas and scaled down for each size.
convert -size 256x256 xc:none \
    -fill '#1f5f9f' -stroke '#123d68' -strokewidth 8 -draw 'circle 128,128 128,10' \
    -stroke none -fill '#ffffff' \
    -draw 'polygon 40,150 118,104 178,110 214,128 178,146 118,154' \
    -draw 'polygon 212,127 250,120 212,131' \
    -draw 'polygon 96,110 104,50 122,58 164,104' \
    -draw 'polygon 44,150 20,108 34,140 20,190 46,154' \
    -fill '#1f5f9f' -draw 'circle 186,124 186,119' \
    "$work/marlin-256.png"
for size in 48 32 16; do
    convert "$work/marlin-256.png" -filter Lanczos -resize "${size}x${size}" \
        "$work/marlin-$size.png"
done
convert "$work/marlin-48.png" "$work/marlin-32.png" "$work/marlin-16.png" marlin.ico

# The folder at 16 pixels. The 32-pixel image carries the same folder in its middle with a
# transparent margin, so a small button that shows the default-sized icon shows all of it.
convert -size 16x16 xc:none \
    -fill '#e8b23a' -stroke '#9a6a12' -strokewidth 1 \
    -draw 'polygon 1.5,3.5 6.5,3.5 8.5,5.5 14.5,5.5 14.5,13.5 1.5,13.5' \
    -fill '#f6d27a' -draw 'polygon 1.5,7.5 14.5,7.5 14.5,13.5 1.5,13.5' \
    "$work/folder-16.png"
convert -size 32x32 xc:none "$work/folder-16.png" -gravity center -composite \
    "$work/folder-32.png"
convert "$work/folder-32.png" "$work/folder-16.png" folder.ico

# Large previews for a person to look at; not used by the build.
convert "$work/marlin-256.png" -resize 64x64 marlin-preview.png
convert "$work/folder-16.png" -filter point -resize 64x64 folder-preview.png
