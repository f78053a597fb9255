// Fuzz target: the BMP decoder that readBmpPixels runs, on the input as bytes in memory and as an open
// file read through a staging buffer whose size the input chooses (down to a few bytes, so rows
// longer than the buffer are read in pieces). Both must give the same status, picture and
// palette. The maxima are modest, so a huge claimed size must be refused by the reader's checks
// before anything is allocated, not by the fuzzer's memory limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "image/bmpdecode.hpp"

namespace {

constexpr int kMaxWidth = 4096;
constexpr int kMaxHeight = 4096;

void check(bool condition) {
    if (!condition) __builtin_trap();
}

struct Result {
    image::BmpStatus status;
    image::BmpLayout layout;
    std::vector<std::uint8_t> picture;
    image::BmpState palette;
};

// Header, checks and decode through one source, from an all-zero palette store. The header's
// reserved byte chooses the byte order and whether some spare bytes follow the picture.
Result decode(image::ByteSource& source, int control) {
    image::bmpState = image::BmpState{};
    Result r;
    r.status = image::bmpInspect(source, kMaxWidth, kMaxHeight, r.layout);
    if (r.status.fault == image::BmpFault::none) {
        const long long spare = (control & 2) ? 5 : 0;
        // Allocated at exactly its size so that a write past it is caught.
        r.picture.assign(static_cast<std::size_t>(r.layout.pictureBytes + spare), 0xEE);
        r.status = image::bmpDecode(source, r.layout, r.picture.data(), r.layout.pictureBytes + spare, control & 1);
    }
    r.palette = image::bmpState;
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const long long fileBytes = static_cast<long long>(size);
    const int control = size > 6 ? data[6] : 0;
    image::MemorySource memory(data, fileBytes);
    const Result m = decode(memory, control);

    // The same bytes as a file, through a staging buffer of 4 to 258 bytes, or of the viewer's
    // size but never more than the file (as the viewer's never exceeds the rows).
    const long long staging = size > 7 && data[7] != 0
                                  ? 3 + data[7]
                                  : std::min(image::kBmpStagingBytes, std::max(4LL, fileBytes));
    std::vector<std::uint8_t> stagingBuffer(static_cast<std::size_t>(staging));
    std::FILE* file = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : std::tmpfile();
    check(file != nullptr);
    image::FileSource source(file, fileBytes, stagingBuffer.data(), staging);
    const Result f = decode(source, control);
    std::fclose(file);

    check(m.status.fault == f.status.fault && m.status.sizeStatus == f.status.sizeStatus);
    check(m.picture == f.picture);
    check(std::memcmp(&m.palette, &f.palette, sizeof m.palette) == 0);
    if (m.status.fault != image::BmpFault::none) {
        check(m.status.reason != nullptr && m.status.reason[0] != '\0');
        check((m.status.fault == image::BmpFault::badSize) == (m.status.sizeStatus > 0));
        return 0;
    }

    // An accepted file: its sizes are in range and its rows (or run-length data) lie inside the
    // bytes given.
    const image::BmpLayout& layout = m.layout;
    check(layout.width >= 1 && layout.width <= kMaxWidth);
    check(layout.height >= 1 && layout.height <= kMaxHeight);
    check(layout.paletteEntries >= 0 && layout.paletteEntries <= 256);
    check(layout.rowPixelBytes <= layout.storedRowBytes && layout.storedRowBytes % 4 == 0);
    check(layout.rowStart + (layout.runLengths ? 2 : layout.rowBytes) <= fileBytes);
    check(layout.pictureBytes == 3LL * layout.width * layout.height);
    for (std::size_t k = static_cast<std::size_t>(layout.pictureBytes); k < m.picture.size(); ++k) check(m.picture[k] == 0);

    // 24-bit pixels are the stored bytes, in the order asked for.
    if (layout.bytesPerPixel == 3 && !layout.runLengths) {
        const std::uint8_t* first = data + layout.rowStart;
        const int swap = control & 1;
        check(m.picture[0] == (swap ? first[2] : first[0]) && m.picture[1] == first[1] &&
              m.picture[2] == (swap ? first[0] : first[2]));
    }
    return 0;
}
