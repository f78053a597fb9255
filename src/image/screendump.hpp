// The screen dump: the window's front buffer saved as ScrnDmp1.Bmp .. ScrnDmp5.Bmp.
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/bmp.hpp"

namespace image {

// Reads the front buffer and writes the next dump file; the fifth dump ends the run.
void saveScreenDump(int channel);

constexpr int kMaxDumps = 5;

// The dump's module state.
struct DumpState {
    int dumpCount = 0;       // dumps begun and not failed in this run; never reset
    BmpHeaderFields header;  // the dump's header record, kept from one dump to the next
};
extern DumpState dumpState;

// --- the parts of a dump that need no GL ------------------------------------------------------

// Fills the header of a 24-bit, bottom-up dump of width x height pixels without row padding.
void dumpHeader(int width, int height, BmpHeaderFields& header);

// One colour channel read back as a float, as a byte: v x 255 truncated toward zero, held
// within 0..255 (a NaN gives 0).
std::uint8_t channelByte(float v);

// Converts red-green-blue floats to blue-green-red bytes, pixelCount pixels in the same order.
void floatsToBgr(const float* rgb, std::size_t pixelCount, std::uint8_t* bgr);

// "ScrnDmp<n>.Bmp" for n = 1..5: 12 characters and a NUL.
void dumpFileName(int number, char (&name)[13]);

// Counts the dump and sets the header for the layout size; stops the run when a row would
// need padding.
void beginDump(int width, int height);

// Names, reports and writes the file of the dump begun last from its converted picture (the
// header's size, blue-green-red, bottom row first), sounds the bell, and ends the run after the
// fifth file. A file that cannot be created or written is reported and does not count.
void finishDump(const std::uint8_t* pixels);

}  // namespace image
