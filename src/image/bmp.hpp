// BMP files: the 54-byte header record shared by the reader and the screen dump, and the reader's
// two entry points. Every failure of the entry points ends the run with its message.
#pragma once
#include <cstdint>

namespace image {

constexpr int kBmpHeaderBytes = 54;

// The header record, one field per header entry, in file order.
struct BH {
    char bfType[2] = {'B', 'M'};      // "BM" (read, not checked)
    std::uint32_t bfSize = 0;         // file size in bytes
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;      // offset of the pixel rows
    std::uint32_t biSize = 0;         // info header size, 40
    std::int32_t biWidth = 0;         // width in pixels
    std::int32_t biHeight = 0;        // height; positive = bottom row first
    std::uint16_t biPlanes = 0;
    std::uint16_t nBitsPP = 0;        // bits per pixel: 8 or 24 accepted
    std::uint32_t biCompression = 0;  // (read, not checked)
    std::uint32_t nSizeC = 0;         // size of the pixel data
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t nClrUsed = 0;       // (read, not used)
    std::uint32_t biClrImportant = 0;
};

// Little-endian header bytes <-> record.
BH decodeHeader(const std::uint8_t bytes[kBmpHeaderBytes]);
void encodeHeader(const BH& header, std::uint8_t bytes[kBmpHeaderBytes]);

// Header only: width, height (as stored, may be negative) and bytes per pixel (1 or 3).
void ReadaBmp(const char* fileName20, int channel, int& width, int& height, int& bytesPerPixel);

// The checks BmpImpor makes before it reads any pixel (open, depth, size against the maxima,
// rows present in the file), with the same stops; lets a caller refuse a hostile header before
// it allocates the picture buffer.
void BmpCheck(const char* fileName20, int channel, int maxWidth, int maxHeight);

// Reads the picture into IMAGE: width x height pixels of 3 bytes, bottom row first, no row
// padding; red-green-blue when swap is nonzero. status is 0 on every return.
void BmpImpor(const char* fileName20, int channel, int maxWidth, int maxHeight,
              long long imageByteCount, std::uint8_t* IMAGE, int swap, int& status);

}  // namespace image
