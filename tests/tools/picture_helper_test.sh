#!/usr/bin/env bash
# Tests of the picture helper. Usage: picture_helper_test.sh HELPER GROUP
# Each group runs in a scratch folder; a failed check prints what differed and exits 1. Small
# inputs are drawn with ImageMagick, large ones with libvips (beyond ImageMagick's policy limits).
set -uo pipefail

helper=$1
group=$2
CONVERT=/usr/bin/convert
IDENTIFY=/usr/bin/identify
scratch=$(mktemp -d "${TMPDIR:-/tmp}/picture-helper-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0

check() {  # description, command...
    local what=$1; shift
    if ! "$@"; then
        echo "FAIL: $what"; sed 's/^/  helper: /' err.txt 2>/dev/null; failures=$((failures + 1))
    fi
}
same() { [ "$1" = "$2" ] || { echo "  expected [$2], got [$1]"; return 1; }; }
header() { od -An -t "d$2" -j "$1" -N "$2" --endian=little "$3" | tr -d ' '; }
bytes_at() { od -An -t u1 -j "$1" -N "$2" "$3" | xargs; }
# Messages are compared with Windows' line ends folded (the Windows helper under Wine).
run() { ${launch:-} "$helper" "$@" >out.txt 2>err.txt; local status=$?; sed -i 's/\r$//' out.txt err.txt; return $status; }

# A 10 x 5 picture: red bottom row, blue top rows, a green pixel at the bottom left. The odd
# width pads the BMP rows; the distinct corners expose a row-order or red/blue swap.
"$CONVERT" -size 10x5 xc:blue -fill red -draw "line 0,4 9,4" -fill lime -draw "point 0,4" corner.png

case $group in
conversions)
    run corner.png 100 c24.bmp
    check "24-bit: size, no compression, direct colour" \
        same "$("$IDENTIFY" -format '%w %h %[compression] %r %b' c24.bmp)" "10 5 None DirectClass sRGB  214B"
    check "24-bit: bits per pixel, bottom-up, no palette" \
        same "$(header 28 2 c24.bmp) $(header 22 4 c24.bmp) $(header 10 4 c24.bmp)" "24 5 54"
    check "24-bit: first stored pixel is the bottom-left one, blue-green-red" \
        same "$(bytes_at 54 6 c24.bmp)" "0 255 0 0 0 255"

    run -8 corner.png 100 c8.bmp
    check "8-bit: size, no compression, palette" \
        same "$("$IDENTIFY" -format '%w %h %[compression] %r %b' c8.bmp)" "10 5 None PseudoClass sRGB  1138B"
    check "8-bit: 8 bits per pixel, bottom-up, 256 palette entries" \
        same "$(header 28 2 c8.bmp) $(header 22 4 c8.bmp) $(header 10 4 c8.bmp)" "8 5 1078"
    index=$(bytes_at 1078 1 c8.bmp)
    check "8-bit: the bottom-left pixel's palette entry is green" \
        same "$(bytes_at $((54 + 4 * index)) 3 c8.bmp)" "0 255 0"

    "$CONVERT" -size 8x4 gradient:black-white -colorspace Gray grey.jpg
    "$CONVERT" -size 8x4 xc:none -fill red -draw "point 1,1" alpha.png
    for input in grey.jpg alpha.png; do
        run "$input" 100 "$input.bmp"
        check "$input becomes a 24-bit uncompressed BMP" \
            same "$(header 28 2 "$input.bmp") $(header 30 4 "$input.bmp")" "24 0"
    done
    check "transparency is flattened onto black, the opaque pixel kept" \
        same "$(bytes_at $((54 + 2 * 24)) 6 alpha.png.bmp)" "0 0 0 0 0 255"

    # A 256 x 2 grey ramp: with -8 every grey level keeps its own palette entry, grey itself.
    "$CONVERT" -size 2x256 gradient:white-black -rotate 90 -colorspace Gray -depth 8 ramp.png
    run -8 ramp.png 100 ramp.bmp
    check "8-bit grey: 256 distinct indexes in a row" \
        same "$(od -An -v -t u1 -j 1078 -N 256 ramp.bmp | xargs -n 1 | sort -un | wc -l)" 256
    check "8-bit grey: palette entries 0, 128 and 255 are those greys" \
        same "$(bytes_at 54 3 ramp.bmp) $(bytes_at $((54 + 4 * 128)) 3 ramp.bmp) $(bytes_at $((54 + 4 * 255)) 3 ramp.bmp)" \
             "0 0 0 128 128 128 255 255 255"
    ;;

scaling)
    "$CONVERT" -size 40x20 xc:teal map.png
    run --max-size 16 map.png 100 a.bmp
    check "--max-size 16 halves a 40 x 20 map to 16 x 8" same "$("$IDENTIFY" -format '%w %h' a.bmp)" "16 8"
    run --max-size 20 map.png 100 b.bmp
    check "--max-size 20 scales a 40 x 20 map to exactly 20 x 10" same "$("$IDENTIFY" -format '%w %h' b.bmp)" "20 10"
    run --max-size 20 --power-of-two map.png 100 b2.bmp
    check "--power-of-two takes the longer side down to 16" same "$("$IDENTIFY" -format '%w %h' b2.bmp)" "16 8"
    run --max-size 64 map.png 100 c.bmp
    check "a picture within the limit keeps its size" same "$("$IDENTIFY" -format '%w %h' c.bmp)" "40 20"
    check "a 2:1 map gives no warning" same "$(cat err.txt)" ""
    "$CONVERT" -size 30x20 xc:teal square.png
    run square.png 100 d.bmp
    check "a picture not twice as wide as high is converted with a warning" \
        grep -q "warning: square.png is 30 x 20; a whole-planet map is twice" err.txt

    # 20000 pixels wide: above the 16K side that Debian's ImageMagick policy allows.
    rm Orvex.Txt
    vips black wide.v 20000 100 --bands 3 && vips copy wide.v wide.png
    run wide.png 100 wide.bmp
    check "a 20000 x 100 picture is converted at its size" \
        same "$(header 18 4 wide.bmp) $(header 22 4 wide.bmp) $(stat -c %s wide.bmp)" "20000 100 $((54 + 60000 * 100))"
    run -8 --max-size 8192 wide.png 100 wide8.bmp
    check "and scaled to 8192 wide in 8 bits" same "$(header 18 4 wide8.bmp) $(header 22 4 wide8.bmp)" "8192 41"

    DISPLAY= run --fit-gl map.png 100 gl.bmp
    check "--fit-gl without a display says what it assumes" \
        grep -q "could not ask OpenGL for its largest texture (no display); assuming 8192" err.txt
    if command -v xvfb-run >/dev/null; then
        DISPLAY= launch="xvfb-run -a" run --fit-gl map.png 100 gl.bmp
        check "--fit-gl asks the display's OpenGL" grep -Eq "largest texture OpenGL accepts: [0-9]{4,}$" out.txt
    fi
    ;;

config)
    run corner.png 6371 earth.bmp
    eol=$'\n'; grep -q "Windows Imaging Component" <("$helper" --help) && eol=$'\r\n'
    check "a missing Orvex.Txt is created, with the system's line ends" \
        same "$(cat Orvex.Txt; echo .)" "1${eol}earth.bmp${eol}6371${eol}."
    sed -i 's/\r$//' Orvex.Txt
    run corner.png 3389.5 "red planet.bmp"
    check "a second image is appended, quoted for its blank, and counted" \
        same "$(cat Orvex.Txt)" $'2\nearth.bmp\n6371\n"red planet.bmp"\n3389.5'

    printf '%s\n' "3   images, a note" "" "earth.bmp  the day side" "6371, km" "" \
        " 'it''s.bmp'" " 1 / small" "moon.bmp" "1737.4" "Notes after the pairs stay." >Orvex.Txt
    run corner.png 2000 "it's.bmp"
    check "the radius of a listed (quoted) name is replaced in place" \
        same "$(sed -n 7p Orvex.Txt)" " 2000 / small"
    run corner.png 6378 earth.bmp
    run corner.png 3390 mars.bmp
    check "other lines are kept; the new pair follows the last one; the count is raised" \
        same "$(cat Orvex.Txt)" "$(printf '%s\n' "4   images, a note" "" "earth.bmp  the day side" \
            "6378, km" "" " 'it''s.bmp'" " 2000 / small" "moon.bmp" "1737.4" "mars.bmp" "3390" \
            "Notes after the pairs stay.")"
    check "the report names the image's key" grep -q "image 4 of 4 added: mars.bmp" out.txt

    printf '1\r\na.bmp\r\n1' >Orvex.Txt
    run corner.png 2 b.bmp
    check "a file with CR LF line ends keeps them on every line" same "$(cat Orvex.Txt; echo .)" $'2\r\na.bmp\r\n1\r\nb.bmp\r\n2\r\n.'
    mkdir viewer
    run -C viewer corner.png 100 far.bmp
    check "-C writes the BMP and Orvex.Txt in that folder" \
        test -f viewer/far.bmp -a "$(tr -d '\r' <viewer/Orvex.Txt)" = $'1\nfar.bmp\n100'
    ;;

limits)
    printf '%s\n' 7 a.bmp 1 b.bmp 2 c.bmp 3 d.bmp 4 e.bmp 5 >Orvex.Txt
    cp Orvex.Txt before.txt
    run corner.png 6 f.bmp
    check "a sixth image is refused" test $? -ne 0
    check "the refusal says why" grep -q "already lists 5 images" err.txt
    check "a refused image leaves Orvex.Txt alone and writes no BMP" \
        test ! -e f.bmp -a "$(cat Orvex.Txt)" = "$(cat before.txt)"
    run corner.png 50 e.bmp
    check "the fifth image can still be updated" same "$(tail -n 1 Orvex.Txt)" "50"
    ;;

errors)
    printf '%s\n' 1 a.bmp 1 >Orvex.Txt
    echo "not a picture" >junk.jpg
    # A JPEG cut short, and one with a stray restart marker in its data (the decoder warns).
    "$CONVERT" -size 256x128 pattern:checkerboard -quality 95 board.jpg
    size=$(stat -c %s board.jpg)
    head -c $((size * 6 / 10)) board.jpg >cut.jpg
    { head -c $((size / 2)) board.jpg; printf '\377\320'; tail -c +$((size / 2 + 1)) board.jpg; } >marker.jpg
    # 40000 x 20000 black (a 2.4 GB BMP, beyond what the viewer reads), made in a few seconds.
    vips black 'big.png[compression=1]' 40000 20000
    # Each row: exit status | message fragment (where the two image back ends differ, libvips'
    # ~ the Windows one's) | arguments. Every call must fail and write nothing;
    # a file-size limit stops big.png, once its size is chosen, before it writes 1.6 GB.
    while IFS='|' read -r want fragment arguments; do
        read -ra argv <<<"$arguments"
        (ulimit -f 1024; trap '' XFSZ; run "${argv[@]}"); status=$?
        check "$arguments fails with status $want" same $status "$want"
        IFS='~' read -ra alternatives <<<"$fragment"
        check "$arguments says: $fragment" grep -q "${alternatives[@]/#/-e}" err.txt
    done <<'TABLE'
1|no such file: missing.png|missing.png 100 x.bmp
1|cannot read junk.jpg as a picture: VipsForeignLoad~cannot read junk.jpg as a picture: no decoder of the Windows Imaging|junk.jpg 100 x.bmp
1|cannot convert cut.jpg: VipsJpeg: Premature end~cannot read cut.jpg as a picture: the decoder failed|cut.jpg 100 x.bmp
1|the radius '-3389.5' is negative; give the distance from the centre, 3389.5|corner.png -3389.5 x.bmp
1|the radius '12mi' is not a number of kilometres|corner.png 12mi x.bmp
1|the radius '0' is below 1 km, which the viewer would read as 1 km|corner.png 0 x.bmp
1|the radius '0.5' is below 1 km|corner.png 0.5 x.bmp
1|the radius '1e7' is above 9999999 km|corner.png 1e7 x.bmp
1|the BMP name '-x.bmp' starts with '-'|corner.png 100 -- -x.bmp
1|the BMP name '-x.bmp' starts with '-'|corner.png 100 -x.bmp
2|unknown option: -x|-x corner.png 100
1|has 21 characters|corner.png 100 abcdefghijklmnopq.bmp
2|expected PICTURE RADIUS_KM|corner.png
2|--max-size needs a whole number|--max-size 2x corner.png 100 x.bmp
2|--dither works with -8 only|--dither corner.png 100 x.bmp
1|warning: a 40000 x 20000 BMP would be more than the viewer reads (its texture would pass 2^31 bytes); scaled down to 32768 x 16384, the largest it reads|big.png 100 x.bmp
1|warning: a 40000 x 20000 BMP would be more than the viewer reads|--max-size 65536 -8 big.png 100 x.bmp
TABLE
    check "no failed call wrote anything" \
        same "$(ls)" $'Orvex.Txt\nbig.png\nboard.jpg\ncorner.png\ncut.jpg\nerr.txt\njunk.jpg\nmarker.jpg\nout.txt'
    check "Orvex.Txt is untouched" same "$(cat Orvex.Txt)" $'1\na.bmp\n1'

    run marker.jpg 3389.5km m.bmp
    if grep -q "Windows Imaging Component" <("$helper" --help); then
        check "a damaged JPEG is converted (the Windows decoders report no damage)" test -s m.bmp
    else
        check "a damaged JPEG is converted with the decoder's warning" \
            grep -q "warning: marker.jpg may be damaged: VipsJpeg: Corrupt JPEG data" err.txt
    fi
    check "a radius in km is written as the number" same "$(tail -n 1 Orvex.Txt)" "3389.5"
    printf '%s\n' "three" a.bmp 1 >Orvex.Txt
    run corner.png 100 x.bmp
    check "an unreadable count is refused" grep -q "is not a whole number" err.txt
    run --help
    check "--help shows the usage and succeeds" grep -q "^Usage: orvex-picture" out.txt
    ;;

*) echo "unknown group $group"; exit 2 ;;
esac

[ $failures -eq 0 ] && echo "$group: all checks passed"
exit $((failures > 0))
