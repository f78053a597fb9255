// The BMP the viewer reads, written by the picture helper: uncompressed, bottom row first, 24-bit
// colour or 8 bits with a 256-entry palette (the picture's greys, or a median-cut palette of its
// colours), filled strip by strip as the back end hands the picture over top to bottom.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "backend.hpp"

namespace picture {

struct ColourMap;

class BmpWriter {
public:
    // A width x height BMP of `depth` bits (8 or 24) from pixels of `bands` bytes (1 or 3) into the
    // open file `fd`. For 8 bits from colour pixels, `sample` holds colours of the picture (3
    // bytes each): all grey gives the grey palette, else a median-cut palette; `dither` spreads
    // each pixel's error (Floyd-Steinberg). Writes the header and sizes the file.
    BmpWriter(int fd, int width, int height, int depth, int bands, const std::vector<std::uint8_t>& sample,
              bool dither);
    ~BmpWriter();

    // Converts the strip's rows and writes them where they go in the bottom-up file.
    void write(const Strip& strip);
    int rowsDone() const { return done_; }

private:
    int fd_;
    int width_, height_, depth_, bands_;
    std::uint64_t stride_;                 // bytes of one stored row, padded to 4
    std::uint64_t pixelsAt_ = 0;           // file offset of the bottom row
    std::unique_ptr<ColourMap> map_;       // 8-bit colour pictures: palette lookup
    std::uint8_t palette_[256][3] = {};    // 8-bit: red, green, blue of each index
    bool greyByLuminance_ = false;         // 8-bit grey palette from colour pixels
    bool dither_;
    std::vector<int> error_, nextError_;   // diffused error per pixel and channel, this and next row
    std::vector<std::uint8_t> rows_;       // one strip, in file order
    int done_ = 0;
};

}  // namespace picture
