#!/usr/bin/env bash
# The demo's maps of the Earth, made from Debian's xplanet-images: a 24-bit day map, an 8-bit
# palette night map and an Orvex.Txt naming both, written into FOLDER (the Linux demo, the
# Windows zip). Line ends of Orvex.Txt: LF, or CR LF with --crlf.
#   bash tools/demo_maps.sh FOLDER [--crlf]
set -euo pipefail
folder=${1:?usage: demo_maps.sh FOLDER [--crlf]}
end='\n'
[ "${2:-}" = --crlf ] && end='\r\n'

images=/usr/share/xplanet/images
for need in /usr/bin/convert /usr/bin/identify "$images/earth.jpg" "$images/night.jpg"; do
  [ -e "$need" ] || { echo "demo: $need is missing; run tools/setup.sh first" >&2; exit 1; }
done

mkdir -p "$folder"

# header FILE OFFSET BYTES: a little-endian signed field of a BMP header.
header() { od -A n -t "d$3" -j "$2" -N "$3" "$1" | tr -d ' '; }

# Day map: true colour, 24 bits a pixel, rows bottom-up (BMP3 writes the 40-byte info header).
/usr/bin/convert "$images/earth.jpg" -type TrueColor BMP3:"$folder/earth.bmp"
# Night map: remapped to a 256-entry palette and written uncompressed (ImageMagick would use RLE).
/usr/bin/convert "$images/night.jpg" -dither None -colors 256 -type Palette -compress None \
  BMP3:"$folder/night.bmp"

check() {  # check FILE BITS
  local bits compression height
  bits=$(header "$1" 28 2); compression=$(header "$1" 30 4); height=$(header "$1" 22 4)
  if [ "$bits" != "$2" ] || [ "$compression" != 0 ] || [ "$height" -le 0 ]; then
    echo "demo: $1 is not an uncompressed bottom-up $2-bit BMP" \
         "(bits $bits, compression $compression, height $height)" >&2
    exit 1
  fi
}
check "$folder/earth.bmp" 24
check "$folder/night.bmp" 8
/usr/bin/identify -verbose "$folder/night.bmp" | grep -E '^  (Type|Colors|Compression):' | sed 's/^ */night.bmp: /'

printf "2${end}earth.bmp${end}6371${end}night.bmp${end}6371${end}" > "$folder/Orvex.Txt"
