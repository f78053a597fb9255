// Fuzz target: the BMP reader's pure layer on a file in memory (header, layout against the
// maxima, palette and rows against the file's length, then the row conversion into a picture of
// exactly the size the layout gives). A refused file is a status, never the end of the fuzzer.
// The maxima are modest, so a huge claimed size must be refused by the reader's checks before
// anything is allocated, not by the fuzzer's memory limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/bmpdecode.hpp"

namespace {

constexpr int kMaxWidth = 4096;
constexpr int kMaxHeight = 4096;

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const long long fileBytes = static_cast<long long>(size);
    image::BmpLayout layout;
    const image::BmpStatus s = image::bmpInspect(data, fileBytes, kMaxWidth, kMaxHeight, layout);
    if (s.fault != image::BmpFault::none) {
        check(s.reason != nullptr && s.reason[0] != '\0');
        check((s.fault == image::BmpFault::badSize) == (s.sizeStatus > 0));
        return 0;
    }

    // An accepted file: its sizes are in range and its rows lie inside the bytes given.
    check(layout.width >= 1 && layout.width <= kMaxWidth);
    check(layout.height >= 1 && layout.height <= kMaxHeight);
    check(layout.paletteEntries >= 0 && layout.paletteEntries <= 256);
    check(layout.iHr3 <= layout.iHr4 && layout.iHr4 % 4 == 0);
    check(layout.rowStart + layout.rowBytes <= fileBytes);
    check(layout.pictureBytes == 3LL * layout.width * layout.height);

    // The picture is allocated at exactly its size so that a write past it is caught. The
    // header's reserved byte chooses the byte order, and whether some spare bytes follow.
    const int swap = data[6] & 1;
    const long long spare = (data[6] & 2) ? 5 : 0;
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(layout.pictureBytes + spare), 0xEE);
    const image::BmpStatus d = image::bmpDecode(data, layout, picture.data(),
                                                layout.pictureBytes + spare, swap);
    check(d.fault == image::BmpFault::none);
    for (long long k = layout.pictureBytes; k < layout.pictureBytes + spare; ++k) {
        check(picture[static_cast<std::size_t>(k)] == 0);
    }

    // 24-bit pixels are the stored bytes, in the order asked for.
    if (layout.bytesPerPixel == 3) {
        const std::uint8_t* first = data + layout.rowStart;
        check(picture[0] == (swap ? first[2] : first[0]) && picture[1] == first[1] &&
              picture[2] == (swap ? first[0] : first[2]));
    }
    return 0;
}
