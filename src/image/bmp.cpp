#include "image/bmp.hpp"

#include "platform/console.hpp"

namespace image {

BH decodeHeader(const std::uint8_t*) { return BH{}; }
void encodeHeader(const BH&, std::uint8_t*) {}
void ReadaBmp(const char*, int, int& width, int& height, int& bytesPerPixel) {
    width = height = bytesPerPixel = 0;
}
void BmpCheck(const char*, int, int, int) {}
void BmpImpor(const char*, int, int, int, long long, std::uint8_t*, int, int& status) { status = 0; }

}  // namespace image
