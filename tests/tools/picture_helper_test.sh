#!/usr/bin/env bash
# Tests of tools/orvex-picture. Usage: picture_helper_test.sh HELPER GROUP
# Each group runs in a scratch folder; a failed check prints what differed and exits 1.
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
run() { "$helper" "$@" >out.txt 2>err.txt; }

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
    ;;

scaling)
    "$CONVERT" -size 40x20 xc:teal map.png
    run --max-size 16 map.png 100 a.bmp
    check "--max-size 16 halves a 40 x 20 map to 16 x 8" same "$("$IDENTIFY" -format '%w %h' a.bmp)" "16 8"
    run --max-size 20 map.png 100 b.bmp
    check "--max-size 20 keeps to the power of two below it" same "$("$IDENTIFY" -format '%w %h' b.bmp)" "16 8"
    run --max-size 64 map.png 100 c.bmp
    check "a picture within the limit keeps its size" same "$("$IDENTIFY" -format '%w %h' c.bmp)" "40 20"
    check "a 2:1 map gives no warning" same "$(cat err.txt)" ""
    "$CONVERT" -size 30x20 xc:teal square.png
    run square.png 100 d.bmp
    check "a picture not twice as wide as high is converted with a warning" \
        grep -q "warning: square.png is 30 x 20; a whole-planet map is twice" err.txt
    ;;

config)
    run corner.png 6371 earth.bmp
    check "a missing Orvex.Txt is created" same "$(cat Orvex.Txt)" $'1\nearth.bmp\n6371'
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

    mkdir viewer
    run -C viewer corner.png 100 far.bmp
    check "-C writes the BMP and Orvex.Txt in that folder" \
        test -f viewer/far.bmp -a "$(cat viewer/Orvex.Txt)" = $'1\nfar.bmp\n100'
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
    expect_error() {  # message fragment, helper arguments...
        local fragment=$1; shift
        run "$@"; local status=$?
        check "$* fails" test $status -ne 0
        check "$* says: $fragment" grep -q -- "$fragment" err.txt
    }
    expect_error "no such file: missing.png" missing.png 100 x.bmp
    expect_error "cannot read junk.jpg as a picture" junk.jpg 100 x.bmp
    expect_error "is not a number" corner.png 12km x.bmp
    expect_error "above 0 km" corner.png 0 x.bmp
    expect_error "has 21 characters" corner.png 100 abcdefghijklmnopq.bmp
    expect_error "expected PICTURE RADIUS_KM" corner.png
    check "no failed call wrote anything" same "$(ls)" $'Orvex.Txt\ncorner.png\nerr.txt\njunk.jpg\nout.txt'
    check "Orvex.Txt is untouched" same "$(cat Orvex.Txt)" $'1\na.bmp\n1'
    printf '%s\n' "three" a.bmp 1 >Orvex.Txt
    expect_error "is not a whole number" corner.png 100 x.bmp
    run --help
    check "--help shows the usage and succeeds" grep -q "^Usage: orvex-picture" out.txt
    ;;

*) echo "unknown group $group"; exit 2 ;;
esac

[ $failures -eq 0 ] && echo "$group: all checks passed"
exit $((failures > 0))
