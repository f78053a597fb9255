#include "image/bmp.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/bmpdecode.hpp"
#include "model/types.hpp"
#include "platform/console.hpp"
#include "platform/fields.hpp"

namespace image {

// ---- Little-endian field readers and writers ---------------------------------------------

namespace {

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t getSigned32(const std::uint8_t* p) { return static_cast<std::int32_t>(get32(p)); }

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
}

}  // namespace

// ---- Header record ------------------------------------------------------------------------

BH decodeHeader(const std::uint8_t b[kBmpHeaderBytes]) {
    BH h;
    h.bfType[0] = static_cast<char>(b[0]);
    h.bfType[1] = static_cast<char>(b[1]);
    h.bfSize = get32(b + 2);
    h.bfReserved1 = get16(b + 6);
    h.bfReserved2 = get16(b + 8);
    h.bfOffBits = get32(b + 10);
    h.biSize = get32(b + 14);
    h.biWidth = getSigned32(b + 18);
    h.biHeight = getSigned32(b + 22);
    h.biPlanes = get16(b + 26);
    h.nBitsPP = get16(b + 28);
    h.biCompression = get32(b + 30);
    h.nSizeC = get32(b + 34);
    h.biXPelsPerMeter = getSigned32(b + 38);
    h.biYPelsPerMeter = getSigned32(b + 42);
    h.nClrUsed = get32(b + 46);
    h.biClrImportant = get32(b + 50);
    return h;
}

void encodeHeader(const BH& h, std::uint8_t b[kBmpHeaderBytes]) {
    b[0] = static_cast<std::uint8_t>(h.bfType[0]);
    b[1] = static_cast<std::uint8_t>(h.bfType[1]);
    put32(b + 2, h.bfSize);
    put16(b + 6, h.bfReserved1);
    put16(b + 8, h.bfReserved2);
    put32(b + 10, h.bfOffBits);
    put32(b + 14, h.biSize);
    put32(b + 18, static_cast<std::uint32_t>(h.biWidth));
    put32(b + 22, static_cast<std::uint32_t>(h.biHeight));
    put16(b + 26, h.biPlanes);
    put16(b + 28, h.nBitsPP);
    put32(b + 30, h.biCompression);
    put32(b + 34, h.nSizeC);
    put32(b + 38, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    put32(b + 42, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    put32(b + 46, h.nClrUsed);
    put32(b + 50, h.biClrImportant);
}

// ---- File routines ------------------------------------------------------------------------

namespace {

constexpr long long kStagingBytes = 1 << 20;  // rows are read through this much memory at a time

// The 20-character name field as a C string: trailing blanks dropped.
using FileName = model::TrimmedName;
FileName nameOf(const char* field) { return model::trimmedName(field); }

// The read's status code: -1 at the end of the file, the system's error number otherwise.
long long readStatusOf(std::FILE* file) {
    if (std::ferror(file)) return errno != 0 ? errno : EIO;
    return -1;
}

// Exactly `bytes` bytes or the read's nonzero status code.
long long readExactly(std::FILE* file, std::uint8_t* into, long long bytes) {
    errno = 0;
    const std::size_t got = std::fread(into, 1, static_cast<std::size_t>(bytes), file);
    return got == static_cast<std::size_t>(bytes) ? 0 : readStatusOf(file);
}

long long lengthOf(std::FILE* file) {
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) return info.st_size;
    return LLONG_MAX;  // not a plain file: let the reads find its end
}

// The 54 header bytes; a file that ends inside them is a failure of the input/output layer.
BH readHeader(std::FILE* file, const FileName& name) {
    std::uint8_t bytes[kBmpHeaderBytes];
    if (readExactly(file, bytes, kBmpHeaderBytes) != 0) {
        console::ioFailure("cannot read the whole BMP header of", name.text);
    }
    return decodeHeader(bytes);
}

// The pixel rows cannot be read completely: status line, pause, stop.
[[noreturn]] void readErrorStop(std::FILE* file, long long code) {
    fields::TextLine line;
    line.ch(' ').str("Read error. IOSTAT=").ch(' ').i(code, 8).str(" ref: FCR p131");
    console::writeLine(line.c_str());
    console::pause(" ");
    std::fclose(file);
    console::stop("Module BmpSupp(L129) BmpImpor: Halt.");
}

// Open, header, depth, size and the file's length against palette and rows: every check that
// BmpImpor makes before it reads a pixel. Returns the open file positioned after the header.
std::FILE* openChecked(const FileName& name, int maxWidth, int maxHeight, BmpLayout& layout) {
    std::FILE* file = std::fopen(name.text, "rb");
    if (!file) console::stop("GetaBmp: File not found");
    const BH header = readHeader(file, name);
    const BmpStatus s = bmpLayout(header, maxWidth, maxHeight, layout);
    if (s.fault == BmpFault::badDepth) {
        std::fclose(file);
        console::stop("Vsn 1.0 only supports 8 and 24 bit color .bmp files.");
    }
    if (s.fault == BmpFault::badSize) {
        std::fclose(file);
        console::stop("Module BmpSupp(L112) BmpImpor: Halt.");
    }
    const long long fileBytes = lengthOf(file);
    if (fileBytes < layout.rowStart) console::ioFailure("cannot read the whole BMP palette of", name.text);
    if (fileBytes - layout.rowStart < layout.rowBytes) readErrorStop(file, -1);
    return file;
}

// Reads the rows in chunks of whole rows (or, for a row longer than the staging memory, in
// pixel-aligned pieces) and converts each chunk straight into IMAGE.
void importRows(std::FILE* file, const BmpLayout& layout, int swap, std::uint8_t* staging,
                long long stagingBytes, std::uint8_t* IMAGE) {
    PixelMap map;
    buildPixelMap(swap, map);
    const int bpp = layout.bytesPerPixel;
    const long long outRow = 3LL * layout.width;
    std::uint8_t* out = IMAGE;
    if (layout.iHr4 <= stagingBytes) {
        const long long rowsPerChunk = stagingBytes / layout.iHr4;
        for (long long done = 0; done < layout.height;) {
            const long long rows = std::min(rowsPerChunk, layout.height - done);
            const long long code = readExactly(file, staging, rows * layout.iHr4);
            if (code != 0) readErrorStop(file, code);
            for (long long r = 0; r < rows; ++r, out += outRow) {
                convertPixels(staging + r * layout.iHr4, layout.width, bpp, swap, map, out);
            }
            done += rows;
        }
        return;
    }
    const long long piecePixels = stagingBytes / bpp;
    for (long long j = 0; j < layout.height; ++j) {
        for (long long done = 0; done < layout.width;) {
            const long long pixels = std::min(piecePixels, layout.width - done);
            const long long code = readExactly(file, staging, pixels * bpp);
            if (code != 0) readErrorStop(file, code);
            convertPixels(staging, pixels, bpp, swap, map, out);
            out += 3 * pixels;
            done += pixels;
        }
        std::uint8_t padding[4];
        const long long code = readExactly(file, padding, layout.iHr4 - layout.iHr3);
        if (code != 0) readErrorStop(file, code);
    }
}

}  // namespace

void ReadaBmp(const char* fileName20, int /*channel*/, int& width, int& height, int& bytesPerPixel) {
    const FileName name = nameOf(fileName20);
    std::FILE* file = std::fopen(name.text, "rb");
    if (!file) console::stop("ReadaBmp: File not found");
    const BH header = readHeader(file, name);
    std::fclose(file);
    if (header.nBitsPP != 8 && header.nBitsPP != 24) {
        console::stop("Vsn 1.0 only supports 8 and 24 bit color .bmp files.");
    }
    bytesPerPixel = header.nBitsPP / 8;
    width = header.biWidth;
    height = header.biHeight;
}

void BmpCheck(const char* fileName20, int /*channel*/, int maxWidth, int maxHeight) {
    BmpLayout layout;
    std::fclose(openChecked(nameOf(fileName20), maxWidth, maxHeight, layout));
}

void BmpImpor(const char* fileName20, int /*channel*/, int maxWidth, int maxHeight,
              long long imageByteCount, std::uint8_t* IMAGE, int swap, int& status) {
    status = 0;
    const FileName name = nameOf(fileName20);
    BmpLayout layout;
    std::FILE* file = openChecked(name, maxWidth, maxHeight, layout);
    // A target that cannot hold the picture is a size the caller cannot take.
    if (!IMAGE || imageByteCount < layout.pictureBytes) {
        std::fclose(file);
        console::stop("Module BmpSupp(L112) BmpImpor: Halt.");
    }

    std::uint8_t palette[4 * 256];
    if (readExactly(file, palette, 4LL * layout.paletteEntries) != 0) {
        console::ioFailure("cannot read the whole BMP palette of", name.text);
    }
    storePalette(palette, layout.paletteEntries);

    const long long stagingBytes = std::min(kStagingBytes, layout.rowBytes);
    auto* staging = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(stagingBytes)));
    if (!staging) {
        std::fclose(file);
        console::stop("Module BmpSupp(L125) BmpImpor: allocation failed.");
    }
    importRows(file, layout, swap, staging, stagingBytes, IMAGE);
    std::free(staging);
    std::fclose(file);

    // Only the bytes past the picture need clearing: the rows above wrote every picture byte.
    if (imageByteCount > layout.pictureBytes) {
        std::memset(IMAGE + layout.pictureBytes, 0,
                    static_cast<std::size_t>(imageByteCount - layout.pictureBytes));
    }
}

}  // namespace image
