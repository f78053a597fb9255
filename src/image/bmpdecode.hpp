// The BMP reader's pure layer: header layout, size checks and row conversion on bytes in memory.
// Nothing here prints or stops; every function returns a status and a reason, which the file
// routines in bmp.cpp turn into the run's stop messages (and a fuzzer can drive directly).
#pragma once
#include <cstdint>

#include "image/bmp.hpp"
#include "platform/table.hpp"

namespace image {

// One palette entry as stored in the file.
struct PaletteEntry {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};

// The reader's module state: one palette store for the whole run.
struct BmpState {
    Table<PaletteEntry, 256> COLBGRX;  // entries 1..256; an import overwrites only those it reads
};
extern BmpState bmpState;

// Why a file cannot be imported; each maps to one stop of the file routines.
enum class BmpFault {
    none,
    shortHeader,   // the file ends inside the 54-byte header (input/output failure)
    badDepth,      // bits per pixel neither 8 nor 24 ("Vsn 1.0 ...")
    badSize,       // size out of range, or a byte count beyond 32 bits (L112)
    shortPalette,  // the file ends inside the palette (input/output failure)
    shortRows,     // the file holds fewer bytes than its rows need (L129)
};

struct BmpStatus {
    BmpFault fault = BmpFault::none;
    int sizeStatus = 0;        // badSize: +1 width, +2 height
    const char* reason = "";   // a short description for reports and fuzz logs
};

// Everything the reader derives from a header, every size in 64 bits.
struct BmpLayout {
    BH header;
    int bytesPerPixel = 0;         // 1 or 3
    int width = 0;                 // biWidth
    int height = 0;                // biHeight as stored
    long long iHr3 = 0;            // pixel bytes of a stored row
    long long iHr4 = 0;            // iHr3 rounded up to a multiple of 4
    int paletteEntries = 0;        // from bfOffBits, 0..256
    long long rowStart = 0;        // 54 + 4 * paletteEntries
    long long rowBytes = 0;        // iHr4 * height, the stored rows
    long long pictureBytes = 0;    // 3 * width * height, the rows in IMAGE
};

// Palette entries implied by the pixel offset: (bfOffBits - 54) / 4 toward zero, held in 0..256.
int paletteEntriesFor(std::uint32_t bfOffBits);

// Depth, layout and the size check against the maxima. A byte count that does not fit in 32 bits
// (a stored row iHr4, the stored rows or the picture) is a size failure too: +1 when one row is
// already too long, +2 when the height makes the total too large.
BmpStatus bmpLayout(const BH& header, int maxWidth, int maxHeight, BmpLayout& layout);

// bmpLayout on the first bytes of a file, then the palette and rows checked against its length.
BmpStatus bmpInspect(const std::uint8_t* file, long long fileBytes, int maxWidth, int maxHeight,
                     BmpLayout& layout);

// Stores `entries` palette entries (4 bytes each) into COLBGRX entries 1..entries.
void storePalette(const std::uint8_t* bytes, int entries);

// The 8-bit lookup: for every index its three output bytes (blue, green, red, or red, green,
// blue when swapping) plus one spare byte, built from COLBGRX.
struct PixelMap {
    std::uint8_t colour[256][4];
};
void buildPixelMap(int swap, PixelMap& map);

// Converts `count` consecutive stored pixels into 3-byte pixels at `out`.
void convertPixels(const std::uint8_t* stored, long long count, int bytesPerPixel, int swap,
                   const PixelMap& map, std::uint8_t* out);

// The whole import on a file in memory that bmpInspect accepted: palette into COLBGRX, rows
// into IMAGE, bytes past the picture (up to imageByteCount) zeroed. Refuses (badSize) a target
// smaller than the picture.
BmpStatus bmpDecode(const std::uint8_t* file, const BmpLayout& layout, std::uint8_t* IMAGE,
                    long long imageByteCount, int swap);

}  // namespace image
