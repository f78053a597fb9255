// The BMP header and its checks: the little-endian header record, the byte sources, and the
// layout and size checks that refuse a hostile header before anything is allocated.
#include "image/bmpdecode.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace image {

BmpStatus bmpFailure(BmpFault fault, const char* reason, int sizeStatus, long long readStatus) {
    BmpStatus s;
    s.fault = fault;
    s.sizeStatus = sizeStatus;
    s.readStatus = readStatus;
    s.reason = reason;
    return s;
}

// ---- Little-endian field readers and writers ---------------------------------------------

namespace {

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
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

BmpHeaderFields decodeHeader(const std::uint8_t b[kBmpHeaderBytes]) {
    BmpHeaderFields h;
    h.signature[0] = static_cast<char>(b[0]);
    h.signature[1] = static_cast<char>(b[1]);
    h.fileSize = get32(b + 2);
    h.reserved1 = get16(b + 6);
    h.reserved2 = get16(b + 8);
    h.pixelOffset = get32(b + 10);
    h.infoHeaderSize = get32(b + 14);
    h.width = getSigned32(b + 18);
    h.height = getSigned32(b + 22);
    h.planes = get16(b + 26);
    h.bitsPerPixel = get16(b + 28);
    h.compression = get32(b + 30);
    h.pixelDataSize = get32(b + 34);
    h.xPixelsPerMetre = getSigned32(b + 38);
    h.yPixelsPerMetre = getSigned32(b + 42);
    h.coloursUsed = get32(b + 46);
    h.importantColours = get32(b + 50);
    return h;
}

void encodeHeader(const BmpHeaderFields& h, std::uint8_t b[kBmpHeaderBytes]) {
    b[0] = static_cast<std::uint8_t>(h.signature[0]);
    b[1] = static_cast<std::uint8_t>(h.signature[1]);
    put32(b + 2, h.fileSize);
    put16(b + 6, h.reserved1);
    put16(b + 8, h.reserved2);
    put32(b + 10, h.pixelOffset);
    put32(b + 14, h.infoHeaderSize);
    put32(b + 18, static_cast<std::uint32_t>(h.width));
    put32(b + 22, static_cast<std::uint32_t>(h.height));
    put16(b + 26, h.planes);
    put16(b + 28, h.bitsPerPixel);
    put32(b + 30, h.compression);
    put32(b + 34, h.pixelDataSize);
    put32(b + 38, static_cast<std::uint32_t>(h.xPixelsPerMetre));
    put32(b + 42, static_cast<std::uint32_t>(h.yPixelsPerMetre));
    put32(b + 46, h.coloursUsed);
    put32(b + 50, h.importantColours);
}

// ---- Byte sources --------------------------------------------------------------------------

long long MemorySource::read(std::uint8_t* into, long long bytes) {
    const std::uint8_t* at = nullptr;
    const long long status = view(bytes, at);
    if (status == 0 && bytes > 0) std::memcpy(into, at, static_cast<std::size_t>(bytes));
    return status;
}

long long MemorySource::view(long long bytes, const std::uint8_t*& at) {
    if (bytes < 0 || bytes > length_ - position_) {
        position_ = length_;
        return -1;
    }
    at = bytes_ + position_;
    position_ += bytes;
    return 0;
}

long long MemorySource::seek(long long position) {
    if (position < 0 || position > length_) {
        position_ = length_;
        return -1;
    }
    position_ = position;
    return 0;
}

long long FileSource::read(std::uint8_t* into, long long bytes) {
    if (bytes <= 0) return bytes == 0 ? 0 : -1;
    errno = 0;
    const std::size_t got = std::fread(into, 1, static_cast<std::size_t>(bytes), file_);
    if (got == static_cast<std::size_t>(bytes)) return 0;
    if (std::ferror(file_)) return errno != 0 ? errno : EIO;
    return -1;
}

long long FileSource::view(long long bytes, const std::uint8_t*& at) {
    if (bytes > stagingBytes_) return -1;
    at = staging_;
    return read(staging_, bytes);
}

long long FileSource::seek(long long position) {
    if (position < 0 || position > length_) return -1;
    errno = 0;
    if (fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0) return errno != 0 ? errno : EIO;
    return 0;
}

// ---- Header, layout and checks -------------------------------------------------------------

long long fitPowerOfTwo(long long n) {
    if (n < 1) return 0;  // log2 is not finite: the power is taken as 0
    double t = std::trunc(std::log2(static_cast<double>(n)) - 0.00000001);
    return 1LL << (static_cast<int>(t) + 1);
}

bool textureFits(long long width, long long height) {
    const long long glWidth = fitPowerOfTwo(width), glHeight = fitPowerOfTwo(height);
    // Each side is below 2^32 when it comes from a 32-bit size, so the quotient test cannot wrap.
    return glWidth > 0 && glHeight > 0 && glWidth <= kMaxBmpBytes / 3 / glHeight;
}

int paletteEntriesFor(std::uint32_t pixelOffset, long long paletteStart, int entryBytes) {
    // 64-bit so that offsets inside the header give a negative count, not a wrapped one.
    const long long entries = (static_cast<long long>(pixelOffset) - paletteStart) / entryBytes;
    if (entries < 1) return 0;
    if (entries > 256) return 256;
    return static_cast<int>(entries);
}

namespace {

// Whether the pixel offset is the end of a palette that starts at `paletteStart`: the colours
// used (all 256 for 8 bits when the field is 0 or too large) of `entryBytes` each.
bool offsetFitsPalette(const BmpHeaderFields& h, long long paletteStart, int entryBytes) {
    if (h.bitsPerPixel != 8 && h.bitsPerPixel != 24) return false;
    long long entries = h.coloursUsed <= 256 ? h.coloursUsed : 0;
    if (h.bitsPerPixel == 8 && entries == 0) entries = 256;
    return h.pixelOffset == paletteStart + entryBytes * entries;
}

}  // namespace

BmpStatus bmpReadHeader(ByteSource& source, BmpHeader& header) {
    header = BmpHeader{};
    // The file header and the info header's size; then the info header as far as the 54-byte
    // record goes, the rest of a longer one skipped so that the source stands at the palette.
    std::uint8_t bytes[14 + 124] = {};
    if (source.read(bytes, 18) != 0) return bmpFailure(BmpFault::shortHeader, "file ends inside the header");
    const std::uint32_t infoSize = get32(bytes + 14);
    long long have = 18;  // bytes read so far
    if (infoSize == 12) {
        if (source.read(bytes + 18, 8) != 0) return bmpFailure(BmpFault::shortHeader, "file ends inside the header");
        have = 26;
        // 16-bit width, height, planes and depth; moved to where the 40-byte header has them.
        std::uint8_t record[kBmpHeaderBytes] = {};
        std::memcpy(record, bytes, 18);
        record[18] = bytes[18], record[19] = bytes[19];
        record[22] = bytes[20], record[23] = bytes[21];
        record[26] = bytes[22], record[27] = bytes[23];
        record[28] = bytes[24], record[29] = bytes[25];
        header.fields = decodeHeader(record);
        header.paletteStart = 26;
        header.entryBytes = 3;
    } else {
        const bool known = (infoSize >= 16 && infoSize <= 64) || infoSize == 108 || infoSize == 124;
        long long infoBytes = known ? infoSize : 40;
        if (source.read(bytes + 18, infoBytes - 4) != 0) {
            // A size field longer than the whole file: a 40-byte header may still fit (below).
            if (infoBytes <= 40 || source.seek(18) != 0 || source.read(bytes + 18, 36) != 0 ||
                !offsetFitsPalette(decodeHeader(bytes), kBmpHeaderBytes, 4)) {
                return bmpFailure(BmpFault::shortHeader, "file ends inside the header");
            }
            infoBytes = 40;
        }
        have = 14 + infoBytes;
        std::uint8_t record[kBmpHeaderBytes] = {};
        std::memcpy(record, bytes, static_cast<std::size_t>(std::min<long long>(have, kBmpHeaderBytes)));
        header.fields = decodeHeader(record);
        header.paletteStart = have;
    }
    // A size field the rest of the file contradicts: the pixel offset ends the palette only
    // after a 40-byte header. The file is laid out with that header, whatever the field says.
    if (infoSize != 40 && !offsetFitsPalette(header.fields, header.paletteStart, header.entryBytes)) {
        const bool whole = have >= kBmpHeaderBytes || source.read(bytes + have, kBmpHeaderBytes - have) == 0;
        if (whole) have = std::max<long long>(have, kBmpHeaderBytes);
        const BmpHeaderFields forty = decodeHeader(bytes);
        if (whole && offsetFitsPalette(forty, kBmpHeaderBytes, 4)) {
            header.fields = forty;
            header.paletteStart = kBmpHeaderBytes;
            header.entryBytes = 4;
        }
    }
    if (have != header.paletteStart && source.seek(header.paletteStart) != 0) {
        return bmpFailure(BmpFault::shortHeader, "file ends inside the header");
    }
    if (header.fields.bitsPerPixel != 8 && header.fields.bitsPerPixel != 24) {
        return bmpFailure(BmpFault::badDepth, "bits per pixel neither 8 nor 24");
    }
    const std::uint32_t compression = header.fields.compression;
    if (compression != 0 && !(compression == 1 && header.fields.bitsPerPixel == 8)) {
        return bmpFailure(BmpFault::compressed, "compressed other than 8-bit run lengths, or bit fields");
    }
    return BmpStatus{};
}

BmpStatus bmpLayout(const BmpHeader& header, int maxWidth, int maxHeight, BmpLayout& layout) {
    layout = BmpLayout{};
    const BmpHeaderFields& h = header.fields;
    layout.header = h;
    if (h.bitsPerPixel != 8 && h.bitsPerPixel != 24) return bmpFailure(BmpFault::badDepth, "bits per pixel neither 8 nor 24");
    layout.bytesPerPixel = h.bitsPerPixel / 8;
    layout.width = h.width;
    layout.height = h.height;
    layout.paletteStart = header.paletteStart;
    layout.entryBytes = header.entryBytes;
    layout.paletteEntries = paletteEntriesFor(h.pixelOffset, header.paletteStart, header.entryBytes);
    layout.paletteEnd = layout.paletteStart + static_cast<long long>(layout.entryBytes) * layout.paletteEntries;
    layout.rowStart = layout.paletteEnd;
    layout.runLengths = h.compression == 1;

    int sizeStatus = 0;
    if (layout.width < 1 || layout.width > maxWidth) sizeStatus += 1;
    if (layout.height < 1 || layout.height > maxHeight) sizeStatus += 2;
    if (sizeStatus > 0) return bmpFailure(BmpFault::badSize, "width or height out of range", sizeStatus);

    // Width and height are now 1..2^31-1, so each product below fits in 64 bits.
    layout.rowPixelBytes = static_cast<long long>(layout.width) * layout.bytesPerPixel;
    layout.storedRowBytes = (layout.rowPixelBytes + 3) / 4 * 4;
    if (layout.storedRowBytes > kMaxBmpBytes) return bmpFailure(BmpFault::badSize, "row longer than 2^31-1 bytes", 1);
    layout.rowBytes = layout.storedRowBytes * layout.height;
    layout.pictureBytes = 3LL * layout.width * layout.height;
    if (layout.rowBytes > kMaxBmpBytes || layout.pictureBytes > kMaxBmpBytes) {
        return bmpFailure(BmpFault::badSize, "picture larger than 2^31-1 bytes", 2);
    }
    return BmpStatus{};
}

BmpStatus bmpCheckLength(BmpLayout& layout, long long sourceBytes) {
    if (sourceBytes < layout.paletteEnd) return bmpFailure(BmpFault::shortPalette, "file ends inside the palette");
    // Run-length data needs at least one code; rows need all their bytes.
    const long long rowsNeed = layout.runLengths ? 2 : layout.rowBytes;
    const long long offset = layout.header.pixelOffset;
    const bool roomAtOffset = offset >= layout.paletteEnd && sourceBytes - offset >= rowsNeed;
    // Rows placed past a gap after the palette are there even when the file is cut short: it then
    // stops like any other short file instead of reading the gap as rows.
    const bool pastGap = offset >= layout.paletteEnd + layout.entryBytes && offset < sourceBytes;
    layout.rowStart = roomAtOffset || pastGap ? offset : layout.paletteEnd;
    if (sourceBytes - layout.rowStart < rowsNeed) {
        return bmpFailure(BmpFault::shortRows, "file ends inside the pixel rows", 0, -1);
    }
    return BmpStatus{};
}

BmpStatus bmpInspect(ByteSource& source, int maxWidth, int maxHeight, BmpLayout& layout) {
    layout = BmpLayout{};
    BmpHeader header;
    BmpStatus s = bmpReadHeader(source, header);
    if (s.fault != BmpFault::none) return s;
    s = bmpLayout(header, maxWidth, maxHeight, layout);
    if (s.fault != BmpFault::none) return s;
    return bmpCheckLength(layout, source.length());
}

}  // namespace image
