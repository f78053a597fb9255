// BMP files: the reader's entry points. Every failure of the entry points ends the run with its
// message. The header record shared with the screen dump and the decoder are in bmpdecode.hpp.
#pragma once
#include <cstdint>
#include <cstdio>

#include "image/bmpdecode.hpp"
#include "model/types.hpp"

namespace image {

// One picture file, opened once. Every caller reads a file in this order: openBmp (header, the
// file stays open), checkBmpSize (sizes against the maxima and the file's length, so a hostile header
// is refused before the caller allocates), then readBmpPixels, which reads the pixels and closes it.
struct BmpPicture {
    std::FILE* file = nullptr;  // open from openBmp until readBmpPixels returns
    char name[model::kNameLength + 1] = {};  // the name field without its trailing blanks
    long long length = 0;       // the file's length in bytes
    BmpHeader header;           // as read by openBmp
    BmpLayout layout;           // as checked by checkBmpSize

    BmpPicture() = default;
    BmpPicture(const BmpPicture&) = delete;
    BmpPicture& operator=(const BmpPicture&) = delete;
    ~BmpPicture() {
        if (file) std::fclose(file);
    }
};

// Opens the file and reads its header: width, height (as stored, may be negative) and bytes per
// pixel (1 or 3).
void openBmp(const char* fileName20, int channel, BmpPicture& picture, int& width, int& height,
              int& bytesPerPixel);

// Width and height within 1..the maxima, every byte count within 32 bits, the file long enough.
void checkBmpSize(BmpPicture& picture, int maxWidth, int maxHeight);

// Reads the picture into pixels: width x height pixels of 3 bytes, bottom row first, no row
// padding; red-green-blue when swap is nonzero; bytes past the picture up to imageByteCount
// zeroed. status is 0 on every return.
void readBmpPixels(BmpPicture& picture, long long imageByteCount, std::uint8_t* pixels, int swap, int& status);

}  // namespace image
