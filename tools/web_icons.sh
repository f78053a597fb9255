#!/usr/bin/env bash
# The page's icons, rendered from a demo map: the globe as seen from above the equator at
# longitude 0, shaded towards its rim. Writes into FOLDER: icon-192.png and icon-512.png (the globe
# on a transparent ground), icon-maskable-512.png (on the page's colour, inside the middle 80 % that
# every mask keeps), apple-touch-icon.png (180 px, opaque, as iOS wants it) and favicon.ico (16, 32, 48).
#   bash tools/web_icons.sh MAP.bmp FOLDER
set -euo pipefail
map=${1:?usage: web_icons.sh MAP.bmp FOLDER}
folder=${2:?usage: web_icons.sh MAP.bmp FOLDER}
ground='#202020'  # the page's background
mkdir -p "$folder"

# An orthographic view of the equirectangular map (a P6 on standard input): a PAM with alpha, SIZE
# pixels square, its rim smoothed over a pixel.
render='
import math, sys
data = sys.stdin.buffer.read()
fields, at = [], 0
while len(fields) < 4:  # magic, width, height, maxval, each ended by white space
    while data[at:at + 1].isspace(): at += 1
    start = at
    while not data[at:at + 1].isspace(): at += 1
    fields.append(data[start:at])
mapWidth, mapHeight, pixels = int(fields[1]), int(fields[2]), data[at + 1:]
size = int(sys.argv[1])
half = size / 2
out = bytearray(size * size * 4)
for row in range(size):
    y = (row + 0.5 - half) / half
    for column in range(size):
        x = (column + 0.5 - half) / half
        squared = x * x + y * y
        inside = (1 - math.sqrt(squared)) * half  # pixels inside the rim
        if inside <= -0.5: continue
        lat = math.asin(max(-1.0, min(1.0, -y)))
        lon = math.asin(max(-1.0, min(1.0, x / math.cos(lat)))) if math.cos(lat) > 1e-9 else 0.0
        u = min(mapWidth - 1, int((lon / math.pi + 1) * mapWidth / 2))
        v = min(mapHeight - 1, int((0.5 - lat / math.pi) * mapHeight))
        shade = 0.4 + 0.6 * math.sqrt(max(0.0, 1 - squared))
        at, to = 3 * (v * mapWidth + u), 4 * (row * size + column)
        out[to:to + 3] = bytes(int(b * shade) for b in pixels[at:at + 3])
        out[to + 3] = int(255 * min(1.0, inside + 0.5))
sys.stdout.buffer.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (size, size) + out)
'
globe=$folder/globe.png
/usr/bin/convert "$map" -resize 1024x512! ppm:- | python3 -c "$render" 512 | /usr/bin/convert pam:- "$globe"
/usr/bin/convert "$globe" -strip "$folder/icon-512.png"
/usr/bin/convert "$globe" -resize 192x192 -strip "$folder/icon-192.png"
/usr/bin/convert -size 512x512 "xc:$ground" \( "$globe" -resize 400x400 \) -gravity center -composite -depth 8 -strip \
  "$folder/icon-maskable-512.png"
/usr/bin/convert -size 180x180 "xc:$ground" \( "$globe" -resize 164x164 \) -gravity center -composite -depth 8 -strip \
  "$folder/apple-touch-icon.png"
/usr/bin/convert "$globe" \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) \( -clone 0 -resize 48x48 \) \
  -delete 0 "$folder/favicon.ico"
rm "$globe"
