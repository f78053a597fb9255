#include "image/bmp.hpp"

#include "platform/console.hpp"

namespace image {

// ---- Little-endian field readers and writers ---------------------------------------------

namespace {

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t getSigned32(const std::uint8_t* p) { return static_cast<std::int32_t>(get32(p)); }

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
}

}  // namespace

// ---- Header record ------------------------------------------------------------------------

BH decodeHeader(const std::uint8_t b[kBmpHeaderBytes]) {
    BH h;
    h.bfType[0] = static_cast<char>(b[0]);
    h.bfType[1] = static_cast<char>(b[1]);
    h.bfSize = get32(b + 2);
    h.bfReserved1 = get16(b + 6);
    h.bfReserved2 = get16(b + 8);
    h.bfOffBits = get32(b + 10);
    h.biSize = get32(b + 14);
    h.biWidth = getSigned32(b + 18);
    h.biHeight = getSigned32(b + 22);
    h.biPlanes = get16(b + 26);
    h.nBitsPP = get16(b + 28);
    h.biCompression = get32(b + 30);
    h.nSizeC = get32(b + 34);
    h.biXPelsPerMeter = getSigned32(b + 38);
    h.biYPelsPerMeter = getSigned32(b + 42);
    h.nClrUsed = get32(b + 46);
    h.biClrImportant = get32(b + 50);
    return h;
}

void encodeHeader(const BH& h, std::uint8_t b[kBmpHeaderBytes]) {
    b[0] = static_cast<std::uint8_t>(h.bfType[0]);
    b[1] = static_cast<std::uint8_t>(h.bfType[1]);
    put32(b + 2, h.bfSize);
    put16(b + 6, h.bfReserved1);
    put16(b + 8, h.bfReserved2);
    put32(b + 10, h.bfOffBits);
    put32(b + 14, h.biSize);
    put32(b + 18, static_cast<std::uint32_t>(h.biWidth));
    put32(b + 22, static_cast<std::uint32_t>(h.biHeight));
    put16(b + 26, h.biPlanes);
    put16(b + 28, h.nBitsPP);
    put32(b + 30, h.biCompression);
    put32(b + 34, h.nSizeC);
    put32(b + 38, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    put32(b + 42, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    put32(b + 46, h.nClrUsed);
    put32(b + 50, h.biClrImportant);
}

void ReadaBmp(const char*, int, int& width, int& height, int& bytesPerPixel) {
    width = height = bytesPerPixel = 0;
}
void BmpCheck(const char*, int, int, int) {}
void BmpImpor(const char*, int, int, int, long long, std::uint8_t*, int, int& status) { status = 0; }

}  // namespace image
