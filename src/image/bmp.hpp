// BMP files: the reader's entry points. Every failure of the entry points ends the run with its
// message. The header record shared with the screen dump and the decoder are in bmpdecode.hpp.
#pragma once
#include <cstdint>
#include <cstdio>

#include "image/bmpdecode.hpp"
#include "model/types.hpp"

namespace image {

// Header only: width, height (as stored, may be negative) and bytes per pixel (1 or 3).
void ReadaBmp(const char* fileName20, int channel, int& width, int& height, int& bytesPerPixel);

// Reads the picture into IMAGE: width x height pixels of 3 bytes, bottom row first, no row
// padding; red-green-blue when swap is nonzero. status is 0 on every return.
void BmpImpor(const char* fileName20, int channel, int maxWidth, int maxHeight,
              long long imageByteCount, std::uint8_t* IMAGE, int swap, int& status);

// ---- One picture file, opened once ------------------------------------------------------------
// Start-up's order on one file: BmpOpen (ReadaBmp's work, the file stays open), BmpCheck (the
// checks BmpImpor makes before it reads a pixel, so a hostile header is refused before the
// caller allocates), then BmpImpor on the open picture, which reads and closes it.

struct BmpPicture {
    std::FILE* file = nullptr;  // open from BmpOpen until BmpImpor returns
    char name[model::kNameLength + 1] = {};  // the name field without its trailing blanks
    long long length = 0;       // the file's length in bytes
    BmpHeader header;           // as read by BmpOpen
    BmpLayout layout;           // as checked by BmpCheck
};

void BmpOpen(const char* fileName20, int channel, BmpPicture& picture, int& width, int& height,
             int& bytesPerPixel);
void BmpCheck(BmpPicture& picture, int maxWidth, int maxHeight);
void BmpImpor(BmpPicture& picture, long long imageByteCount, std::uint8_t* IMAGE, int swap, int& status);

}  // namespace image
