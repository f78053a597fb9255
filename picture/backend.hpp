// The picture helper's image back end: it decodes a picture of any size and scales it, and hands
// the result on in strips of rows. Everything else (command line, Orvex.Txt, palette, BMP writing)
// is shared; each system builds one back end (libvips, vips.cpp; the Windows Imaging Component,
// wic.cpp; the browser's own decoder, web.cpp).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace picture {

// What ends a run with status 1: one line, the reason.
struct Failure {
    std::string reason;
};

// Rows of the scaled picture: `count` rows from row `top` down, `stride` bytes apart, each row
// `width` pixels of 1 (grey) or 3 (red, green, blue) bytes.
struct Strip {
    const std::uint8_t* rows;
    std::size_t stride;
    int top, count;
};
using StripSink = std::function<void(const Strip&)>;

// Work done so far of one stage ("reading", "writing"), from 0 to 1.
using ProgressSink = std::function<void(double fraction, const char* stage)>;

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual int width() const = 0;   // as stored
    virtual int height() const = 0;
    // Prepares the picture scaled by one factor to width x height as 8-bit colour or grey, any
    // transparency flattened onto black; returns the bytes of a pixel, 1 or 3.
    virtual int scale(int width, int height) = 0;
    // Colours to choose a palette from, 3 bytes each: every k-th pixel of the scaled picture (then
    // held in memory, so that it is decoded once) or, for a large one, of a quickly reduced copy.
    virtual std::vector<std::uint8_t> paletteSample(const ProgressSink& progress) = 0;
    // Hands the scaled picture to `sink`, top row first.
    virtual void stream(const StripSink& sink) = 0;
    // Releases the picture; returns the decoder's warnings (a corrupt JPEG segment, say), one line
    // each, some of which readers give only when closed.
    virtual std::vector<std::string> close() = 0;
};

// Opens the picture (reads its header); throws Failure with the decoder's reason.
std::unique_ptr<Decoder> openPicture(const std::string& path);

// For the usage text: the formats the back end reads, and a paragraph on what it cannot do that
// the other can (empty when nothing; else ending in a blank line).
extern const char kFormatsRead[];
extern const char kBackendLimits[];

// The palette sample of both back ends, so that both choose the same palette: a scaled picture of
// at most kInMemoryPixels is held in memory and every k-th of its pixels taken, at most
// kSamplePixels of them; a larger one is sampled whole from a copy kReducedSide pixels long.
constexpr std::uint64_t kInMemoryPixels = std::uint64_t(8192) * 8192;
constexpr std::uint64_t kSamplePixels = std::uint64_t(4) << 20;
constexpr int kReducedSide = 2048;

inline std::vector<std::uint8_t> everyKthPixel(const std::uint8_t* rgb, std::uint64_t pixels) {
    const std::uint64_t step = (pixels + kSamplePixels - 1) / kSamplePixels;
    std::vector<std::uint8_t> sample;
    sample.reserve(std::size_t(3 * (pixels / step + 1)));
    for (std::uint64_t i = 0; i < pixels; i += step) sample.insert(sample.end(), rgb + 3 * i, rgb + 3 * i + 3);
    return sample;
}

}  // namespace picture
