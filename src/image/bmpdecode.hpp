// The BMP decoder: header, layout and size checks (bmpheader.cpp), palette and row conversion
// (bmpdecode.cpp), written once and read through a byte source (a file through its staging
// buffer, or bytes in memory). Nothing here prints or stops; every function returns a status and
// a reason, which the file routines in bmp.cpp turn into the run's stop messages. The fuzzer drives the same functions.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/table.hpp"

namespace image {

constexpr int kBmpHeaderBytes = 54;

// The header record, one field per entry of the file header and the 40-byte info header, in
// file order. The screen dump writes it; the decoder fills it from every info header it reads.
struct BmpHeaderFields {
    char signature[2] = {'B', 'M'};    // "BM" (read, not checked)
    std::uint32_t fileSize = 0;        // file size in bytes
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint32_t pixelOffset = 0;     // offset of the pixel rows
    std::uint32_t infoHeaderSize = 0;  // info header size: 40 as written, 12..124 as read
    std::int32_t width = 0;            // width in pixels
    std::int32_t height = 0;           // height; positive = bottom row first
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;    // bits per pixel: 8 or 24 accepted
    std::uint32_t compression = 0;     // 0 = none; 1 = run lengths (8-bit only)
    std::uint32_t pixelDataSize = 0;   // size of the pixel data
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t coloursUsed = 0;     // (read, not used)
    std::uint32_t importantColours = 0;
};

// Little-endian header bytes <-> record.
BmpHeaderFields decodeHeader(const std::uint8_t bytes[kBmpHeaderBytes]);
void encodeHeader(const BmpHeaderFields& header, std::uint8_t bytes[kBmpHeaderBytes]);

// One palette entry as stored in the file.
struct PaletteEntry {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};

// Whether this processor has the byte shuffle the 24-bit colour exchange uses.
bool processorHasSsse3();

// The reader's module state: one palette store for the whole run, and what the processor offers.
struct BmpState {
    Table<PaletteEntry, 256> palette;  // entries 1..256; an import overwrites only those it reads
    bool ssse3 = processorHasSsse3();  // asked once per fresh state, not on every exchange
};
extern BmpState bmpState;

// ---- Byte sources ----------------------------------------------------------------------------

// Bytes read front to back. `read` copies; `view` lends the next bytes in place (at most
// viewLimit() at once), which spares the in-memory source a copy and gives the file source its
// staging buffer; `seek` moves to a byte of the whole source. All return 0 or a read status: -1
// at the end, the system's error number else.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual long long length() const = 0;  // bytes in the whole source
    virtual long long viewLimit() const = 0;
    virtual long long read(std::uint8_t* into, long long bytes) = 0;
    virtual long long view(long long bytes, const std::uint8_t*& at) = 0;
    virtual long long seek(long long position) = 0;
};

// Bytes in memory; views point into them.
class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* bytes, long long length) : bytes_(bytes), length_(length) {}
    long long length() const override { return length_; }
    long long viewLimit() const override { return length_ > 0 ? length_ : 1; }
    long long read(std::uint8_t* into, long long bytes) override;
    long long view(long long bytes, const std::uint8_t*& at) override;
    long long seek(long long position) override;

private:
    const std::uint8_t* bytes_;
    long long length_;
    long long position_ = 0;
};

// The staging memory the viewer reads a file's rows through.
constexpr long long kBmpStagingBytes = 1 << 20;

// An open file of known length; views are read into the caller's staging buffer of
// `stagingBytes` (at least 4).
class FileSource final : public ByteSource {
public:
    FileSource(std::FILE* file, long long length, std::uint8_t* staging, long long stagingBytes)
        : file_(file), length_(length), staging_(staging), stagingBytes_(stagingBytes) {}
    long long length() const override { return length_; }
    long long viewLimit() const override { return stagingBytes_; }
    long long read(std::uint8_t* into, long long bytes) override;
    long long view(long long bytes, const std::uint8_t*& at) override;
    long long seek(long long position) override;

private:
    std::FILE* file_;
    long long length_;
    std::uint8_t* staging_;
    long long stagingBytes_;
};

// ---- Decoding --------------------------------------------------------------------------------

// Why a file cannot be imported; each maps to one stop of the file routines.
enum class BmpFault {
    none,
    shortHeader,   // the source ends inside the file or info header (input/output failure)
    badDepth,      // bits per pixel neither 8 nor 24 ("Vsn 1.0 ...")
    compressed,    // 8 or 24 bits, but compressed other than 8-bit run lengths, or with bit fields
    badSize,       // size out of range, or a byte count beyond 32 bits (L112)
    shortPalette,  // the source ends inside the palette (input/output failure)
    shortRows,     // the source holds fewer bytes than its rows need (L129)
    badRuns,       // run-length data that would write outside its row or the picture
};

struct BmpStatus {
    BmpFault fault = BmpFault::none;
    int sizeStatus = 0;        // badSize: +1 width, +2 height
    long long readStatus = 0;  // shortRows met while reading: the read's status code
    const char* reason = "";   // a short description for reports and fuzz logs
};
// A failed status: the fault, its reason and, where they apply, the size or read status.
BmpStatus bmpFailure(BmpFault fault, const char* reason, int sizeStatus = 0, long long readStatus = 0);

// The header as read: the 54-byte record (fields the file's info header lacks are 0) and where
// the info header ends. Info headers of 12 bytes (16-bit sizes, 3-byte palette entries), 16 to
// 64 bytes, 108 and 124 bytes are read at their size; any other size is read as the 40-byte one.
// A size field that the layout contradicts is read as 40 (see bmpReadHeader).
struct BmpHeader {
    BmpHeaderFields fields;
    long long paletteStart = kBmpHeaderBytes;  // 14 + the info header's size
    int entryBytes = 4;                        // bytes a palette entry: 3 for the 12-byte header
};

// Everything the reader derives from a header, every size in 64 bits.
struct BmpLayout {
    BmpHeaderFields header;
    int bytesPerPixel = 0;         // 1 or 3
    int width = 0;                 // as in the header
    int height = 0;                // height as stored
    long long rowPixelBytes = 0;   // pixel bytes of a stored row
    long long storedRowBytes = 0;  // rowPixelBytes rounded up to a multiple of 4
    long long paletteStart = 0;    // where the palette begins
    int entryBytes = 4;            // bytes a palette entry
    int paletteEntries = 0;        // what fits before pixelOffset, 0..256
    long long paletteEnd = 0;      // paletteStart + entryBytes * paletteEntries
    long long rowStart = 0;        // where the rows or the run-length data begin
    bool runLengths = false;       // 8-bit run-length data (compression 1) instead of rows
    long long rowBytes = 0;        // storedRowBytes * height, the stored rows (uncompressed)
    long long pictureBytes = 0;    // 3 * width * height, the rows in pixels
};

// The most bytes the viewer counts in a stored row, in the stored rows, in the picture in memory
// and in the power-of-two texture that holds it: its counts are 32-bit signed integers, and a file
// beyond any of them is refused on every machine (the L112 stop).
constexpr long long kMaxBmpBytes = 2147483647;

// GL size for a picture size: the smallest power of two not below n, at least 2; 0 for n < 1.
long long fitPowerOfTwo(long long n);

// Whether the RGB texture of the power-of-two size that holds a width x height picture stays
// within kMaxBmpBytes. What the local GL accepts is a smaller limit that depends on the machine.
bool textureFits(long long width, long long height);

// Palette entries between the palette's start and the pixel offset, toward zero, held in 0..256.
int paletteEntriesFor(std::uint32_t pixelOffset, long long paletteStart = kBmpHeaderBytes,
                      int entryBytes = 4);

// Reads the file and info headers and leaves the source at the palette; then depth and
// compression: badDepth for a depth other than 8 and 24, compressed for a compression other than
// none or 8-bit run lengths. An info header whose size field disagrees with the pixel offset
// (pixelOffset = its end + its palette) while the 40-byte header agrees is read as the 40-byte one.
BmpStatus bmpReadHeader(ByteSource& source, BmpHeader& header);

// Layout and the size check against the maxima. A byte count that does not fit in 32 bits (a
// stored row storedRowBytes, the stored rows or the picture) is a size failure too: +1 when one row is
// already too long, +2 when the height makes the total too large. The rows start at paletteEnd
// until bmpCheckLength places them.
BmpStatus bmpLayout(const BmpHeader& header, int maxWidth, int maxHeight, BmpLayout& layout);

// Palette and rows against the source's length. The rows start at pixelOffset when it lies at or
// past the palette's end and leaves room for them (two bytes for run-length data); otherwise
// right after the palette.
BmpStatus bmpCheckLength(BmpLayout& layout, long long sourceBytes);

// bmpReadHeader, bmpLayout and bmpCheckLength in turn.
BmpStatus bmpInspect(ByteSource& source, int maxWidth, int maxHeight, BmpLayout& layout);

// The 8-bit lookup: for every index its three output bytes (blue, green, red, or red, green,
// blue when swapping) plus one spare byte, built from bmpState.palette.
struct PixelMap {
    std::uint8_t colour[256][4];
};
void buildPixelMap(int swap, PixelMap& map);

// Converts `count` consecutive stored pixels into 3-byte pixels at `out`.
void convertPixels(const std::uint8_t* stored, long long count, int bytesPerPixel, int swap,
                   const PixelMap& map, std::uint8_t* out);

// The import from a source left at the palette by bmpReadHeader: palette into bmpState.palette, rows into
// pixels, bytes past the picture (up to imageByteCount) zeroed. Refuses (badSize) a target smaller
// than the picture; a failed read is shortPalette or shortRows with the read's status.
// Run-length data is decoded straight into pixels; pixels it skips (a move, the end of a line or
// of the picture) take palette entry 0. Data that ends before the picture does is shortRows; a
// run past its row's end or a move past the picture is badRuns.
BmpStatus bmpDecode(ByteSource& source, const BmpLayout& layout, std::uint8_t* pixels,
                    long long imageByteCount, int swap);

}  // namespace image
