// BMP files: the reader's entry points. Every failure of the entry points ends the run with its
// message. The header record shared with the screen dump and the decoder are in bmpdecode.hpp.
#pragma once
#include <cstdint>
#include <cstdio>

#include "image/bmpdecode.hpp"
#include "model/types.hpp"

namespace image {

// One picture file, opened once. Every caller reads a file in this order: ReadaBmp (header, the
// file stays open), BmpCheck (sizes against the maxima and the file's length, so a hostile header
// is refused before the caller allocates), then BmpImpor, which reads the pixels and closes it.
struct BmpPicture {
    std::FILE* file = nullptr;  // open from ReadaBmp until BmpImpor returns
    char name[model::kNameLength + 1] = {};  // the name field without its trailing blanks
    long long length = 0;       // the file's length in bytes
    BmpHeader header;           // as read by ReadaBmp
    BmpLayout layout;           // as checked by BmpCheck

    BmpPicture() = default;
    BmpPicture(const BmpPicture&) = delete;
    BmpPicture& operator=(const BmpPicture&) = delete;
    ~BmpPicture() {
        if (file) std::fclose(file);
    }
};

// Opens the file and reads its header: width, height (as stored, may be negative) and bytes per
// pixel (1 or 3).
void ReadaBmp(const char* fileName20, int channel, BmpPicture& picture, int& width, int& height,
              int& bytesPerPixel);

// Width and height within 1..the maxima, every byte count within 32 bits, the file long enough.
void BmpCheck(BmpPicture& picture, int maxWidth, int maxHeight);

// Reads the picture into IMAGE: width x height pixels of 3 bytes, bottom row first, no row
// padding; red-green-blue when swap is nonzero; bytes past the picture up to imageByteCount
// zeroed. status is 0 on every return.
void BmpImpor(BmpPicture& picture, long long imageByteCount, std::uint8_t* IMAGE, int swap, int& status);

}  // namespace image
