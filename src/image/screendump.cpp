#include "image/screendump.hpp"

#include <GL/gl.h>

#include <cassert>
#include <cstdio>
#include <memory>
#include <new>

#include "platform/console.hpp"
#include "platform/fields.hpp"
#include "model/state.hpp"

namespace image {

DumpState dumpState;

// --- pure parts ----------------------------------------------------------------------------------

void dumpHeader(int width, int height, BmpHeaderFields& header) {
    const long long rowBytes = (3LL * width + 3) / 4 * 4;
    header.signature[0] = 'B';
    header.signature[1] = 'M';
    header.reserved1 = 0;
    header.reserved2 = 0;
    header.infoHeaderSize = 40;
    header.pixelOffset = header.infoHeaderSize + 14;
    header.bitsPerPixel = 24;
    header.compression = 0;
    header.coloursUsed = 0;
    header.importantColours = 0;
    header.fileSize = static_cast<std::uint32_t>(rowBytes * height + kBmpHeaderBytes);
    header.width = width;
    header.height = height;
    header.planes = 1;
    header.pixelDataSize = 0;
    header.xPixelsPerMetre = 3780;
    header.yPixelsPerMetre = 3780;
}

std::uint8_t channelByte(float v) {
    const double scaled = v * 255.0;
    if (!(scaled >= 1.0)) return 0;  // below one step, negative, or NaN
    if (scaled >= 255.0) return 255;
    return static_cast<std::uint8_t>(scaled);  // truncation toward zero
}

void floatsToBgr(const float* rgb, std::size_t pixelCount, std::uint8_t* bgr) {
    for (std::size_t n = 0; n < pixelCount; ++n) {
        bgr[3 * n + 2] = channelByte(rgb[3 * n + 0]);
        bgr[3 * n + 1] = channelByte(rgb[3 * n + 1]);
        bgr[3 * n + 0] = channelByte(rgb[3 * n + 2]);
    }
}

void dumpFileName(int number, char (&name)[13]) {
    assert(number >= 1 && number <= kMaxDumps);
    const char pattern[13] = "ScrnDmp#.Bmp";
    for (int k = 0; k < 13; ++k) name[k] = pattern[k];
    name[7] = static_cast<char>('0' + number);
}

// --- the dump --------------------------------------------------------------------------------------

void beginDump(int width, int height) {
    dumpState.dumpCount += 1;
    const int rowPixelBytes = 3 * width;
    const int storedRowBytes = (rowPixelBytes + 3) / 4 * 4;
    if (storedRowBytes != rowPixelBytes) console::stop(console::Failure::dumpWidth, "ScrnDmp: iHr4<>iHr3");  // the dump writes no row padding
    dumpHeader(width, height, dumpState.header);
}

namespace {

// A dump whose file could not be made: report it and let the next "~" try the same name again,
// so the five files stay numbered without gaps and the closing line only follows five files.
void dumpFailed(const char* what, const char* name) {
    fields::TextLine line;
    line.str(" ScrnDmp: cannot ").str(what).ch(' ').str(name).str("; no screen dumped.");
    console::writeLine(line.c_str());
    dumpState.dumpCount -= 1;
}

}  // namespace

void finishDump(const std::uint8_t* pixels) {
    const BmpHeaderFields& header = dumpState.header;
    char name[13];
    dumpFileName(dumpState.dumpCount, name);

    fields::TextLine line;
    line.str(" Writing: ").chars(name, 12).str("  size:").i(header.width, 9).str(" x ")
        .i(header.height, 9);
    console::writeLine(line.c_str());

    std::uint8_t headerBytes[kBmpHeaderBytes];
    encodeHeader(header, headerBytes);
    const std::size_t pixelBytes = 3 * static_cast<std::size_t>(header.width) *
                                   static_cast<std::size_t>(header.height);
    std::FILE* file = std::fopen(name, "wb");
    if (!file) return dumpFailed("create", name);
    bool written = std::fwrite(headerBytes, 1, kBmpHeaderBytes, file) == kBmpHeaderBytes &&
                   std::fwrite(pixels, 1, pixelBytes, file) == pixelBytes;
    written = (std::fclose(file) == 0) && written;
    if (!written) {
        std::remove(name);  // no truncated picture stays behind
        return dumpFailed("write", name);
    }

    console::announceWritten(name);
    console::bellLine();
    if (dumpState.dumpCount >= kMaxDumps) {
        console::stop(console::Failure::dumpsDone, "GLScrSup:ScrnDmp: ~: 5 screens dumped. Execution stopped.");
    }
}

namespace {

bool allZero(const float* values, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        if (values[k] != 0.0f) return false;
    }
    return true;
}

}  // namespace

void saveScreenDump(int /*channel*/) {
    const int width = model::state.layoutSize[1];
    const int height = model::state.layoutSize[2];
    beginDump(width, height);

    // Both buffers live for this call only; zeroed so a failed read-back leaves black, not noise.
    const std::size_t pixelCount = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::unique_ptr<float[]> floatPixels(new (std::nothrow) float[3 * pixelCount]());
    if (!floatPixels) console::ioFailure(console::Failure::outOfMemory, "cannot allocate", "FIMAGE");
    glReadBuffer(GL_FRONT_LEFT);
    glReadPixels(0, 0, width, height, GL_RGB, GL_FLOAT, floatPixels.get());
    if (allZero(floatPixels.get(), 3 * pixelCount)) {
        // Some software GLs (Mesa under a virtual X server) keep no readable front buffer and
        // return nothing from it; they swap by copying, so the back buffer still holds the
        // frame on show. A frame of the viewer is never wholly black (its texts are always
        // drawn), so an all-zero read means the front buffer could not be read.
        glReadBuffer(GL_BACK_LEFT);
        glReadPixels(0, 0, width, height, GL_RGB, GL_FLOAT, floatPixels.get());
    }

    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[3 * pixelCount]);
    if (!pixels) console::ioFailure(console::Failure::outOfMemory, "cannot allocate", "IMAGE");
    floatsToBgr(floatPixels.get(), pixelCount, pixels.get());
    floatPixels.reset();

    finishDump(pixels.get());
}

}  // namespace image
