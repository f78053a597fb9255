#include "image/bmpdecode.hpp"

#include <climits>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORVEX_HAVE_SSSE3_PATH 1
#endif

namespace image {

BmpState bmpState;

namespace {

BmpStatus fail(BmpFault fault, const char* reason, int sizeStatus = 0) {
    BmpStatus s;
    s.fault = fault;
    s.sizeStatus = sizeStatus;
    s.reason = reason;
    return s;
}

// ---- 24-bit blue<->red exchange ------------------------------------------------------------

// Scalar exchange of `bytes` bytes (a multiple of 3).
void swapCopyScalar(const std::uint8_t* in, std::uint8_t* out, long long bytes) {
    for (long long o = 0; o < bytes; o += 3) {
        const std::uint8_t b = in[o], g = in[o + 1], r = in[o + 2];
        out[o] = r;
        out[o + 1] = g;
        out[o + 2] = b;
    }
}

#ifdef ORVEX_HAVE_SSSE3_PATH
// Five pixels per step with one byte shuffle: loads and stores 16 bytes, advances 15, so the
// 16th byte stored is rewritten by the next step or by the scalar tail. Returns bytes done.
__attribute__((target("ssse3"))) long long swapCopySsse3(const std::uint8_t* in, std::uint8_t* out,
                                                         long long bytes) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    long long o = 0;
    for (; o + 16 <= bytes; o += 15) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + o));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_shuffle_epi8(v, order));
    }
    return o;
}

bool haveSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

void swapCopy(const std::uint8_t* in, std::uint8_t* out, long long bytes) {
    long long done = 0;
#ifdef ORVEX_HAVE_SSSE3_PATH
    if (haveSsse3()) done = swapCopySsse3(in, out, bytes);
#endif
    swapCopyScalar(in + done, out + done, bytes - done);
}

}  // namespace

// ---- Layout and checks ---------------------------------------------------------------------

int paletteEntriesFor(std::uint32_t bfOffBits) {
    // 64-bit so that offsets below 54 give a negative count, not a wrapped one.
    const long long entries = (static_cast<long long>(bfOffBits) - kBmpHeaderBytes) / 4;
    if (entries < 1) return 0;
    if (entries > 256) return 256;
    return static_cast<int>(entries);
}

BmpStatus bmpLayout(const BH& header, int maxWidth, int maxHeight, BmpLayout& layout) {
    layout = BmpLayout{};
    layout.header = header;
    if (header.nBitsPP != 8 && header.nBitsPP != 24) {
        return fail(BmpFault::badDepth, "bits per pixel neither 8 nor 24");
    }
    layout.bytesPerPixel = header.nBitsPP / 8;
    layout.width = header.biWidth;
    layout.height = header.biHeight;
    layout.paletteEntries = paletteEntriesFor(header.bfOffBits);
    layout.rowStart = kBmpHeaderBytes + 4LL * layout.paletteEntries;

    int sizeStatus = 0;
    if (layout.width < 1 || layout.width > maxWidth) sizeStatus += 1;
    if (layout.height < 1 || layout.height > maxHeight) sizeStatus += 2;
    if (sizeStatus > 0) return fail(BmpFault::badSize, "width or height out of range", sizeStatus);

    // Width and height are now 1..2^31-1, so each product below fits in 64 bits.
    layout.iHr3 = static_cast<long long>(layout.width) * layout.bytesPerPixel;
    layout.iHr4 = (layout.iHr3 + 3) / 4 * 4;
    if (layout.iHr4 > INT_MAX) return fail(BmpFault::badSize, "row longer than 2^31-1 bytes", 1);
    layout.rowBytes = layout.iHr4 * layout.height;
    layout.pictureBytes = 3LL * layout.width * layout.height;
    if (layout.rowBytes > INT_MAX || layout.pictureBytes > INT_MAX) {
        return fail(BmpFault::badSize, "picture larger than 2^31-1 bytes", 2);
    }
    return BmpStatus{};
}

BmpStatus bmpInspect(const std::uint8_t* file, long long fileBytes, int maxWidth, int maxHeight,
                     BmpLayout& layout) {
    layout = BmpLayout{};
    if (fileBytes < kBmpHeaderBytes) return fail(BmpFault::shortHeader, "file ends inside the header");
    const BmpStatus s = bmpLayout(decodeHeader(file), maxWidth, maxHeight, layout);
    if (s.fault != BmpFault::none) return s;
    if (fileBytes < layout.rowStart) return fail(BmpFault::shortPalette, "file ends inside the palette");
    if (fileBytes - layout.rowStart < layout.rowBytes) {
        return fail(BmpFault::shortRows, "file ends inside the pixel rows");
    }
    return BmpStatus{};
}

// ---- Conversion ----------------------------------------------------------------------------

void storePalette(const std::uint8_t* bytes, int entries) {
    for (int c = 1; c <= entries; ++c) {
        const std::uint8_t* e = bytes + 4 * (c - 1);
        bmpState.COLBGRX[c] = PaletteEntry{e[0], e[1], e[2], e[3]};
    }
}

void buildPixelMap(int swap, PixelMap& map) {
    for (int p = 1; p <= 256; ++p) {
        const PaletteEntry& e = bmpState.COLBGRX[p];
        std::uint8_t* c = map.colour[p - 1];
        c[0] = swap ? e.red : e.blue;
        c[1] = e.green;
        c[2] = swap ? e.blue : e.red;
        c[3] = 0;
    }
}

void convertPixels(const std::uint8_t* stored, long long count, int bytesPerPixel, int swap,
                   const PixelMap& map, std::uint8_t* out) {
    if (count <= 0) return;
    if (bytesPerPixel == 3) {
        if (swap) {
            swapCopy(stored, out, 3 * count);
        } else {
            std::memcpy(out, stored, static_cast<std::size_t>(3 * count));
        }
        return;
    }
    // 8-bit: four-byte stores that overlap by one; the last pixel stores exactly three.
    for (long long i = 0; i + 1 < count; ++i) std::memcpy(out + 3 * i, map.colour[stored[i]], 4);
    std::memcpy(out + 3 * (count - 1), map.colour[stored[count - 1]], 3);
}

BmpStatus bmpDecode(const std::uint8_t* file, const BmpLayout& layout, std::uint8_t* IMAGE,
                    long long imageByteCount, int swap) {
    if (imageByteCount < layout.pictureBytes) {
        return fail(BmpFault::badSize, "target smaller than the picture");
    }
    storePalette(file + kBmpHeaderBytes, layout.paletteEntries);
    PixelMap map;
    buildPixelMap(swap, map);
    const long long outRow = 3LL * layout.width;
    for (long long j = 0; j < layout.height; ++j) {
        convertPixels(file + layout.rowStart + j * layout.iHr4, layout.width, layout.bytesPerPixel,
                      swap, map, IMAGE + j * outRow);
    }
    if (imageByteCount > layout.pictureBytes) {
        std::memset(IMAGE + layout.pictureBytes, 0,
                    static_cast<std::size_t>(imageByteCount - layout.pictureBytes));
    }
    return BmpStatus{};
}

}  // namespace image
