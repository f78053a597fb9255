// The BMP pixels: the palette lookup, the 24-bit colour exchange, and the conversion of stored
// rows and run-length data into the picture in memory.
#include "image/bmpdecode.hpp"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORVEX_HAVE_SSSE3_PATH 1
#endif

namespace image {

BmpState bmpState;

namespace {

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

#endif

void swapCopy(const std::uint8_t* in, std::uint8_t* out, long long bytes) {
    long long done = 0;
#ifdef ORVEX_HAVE_SSSE3_PATH
    if (bmpState.ssse3) done = swapCopySsse3(in, out, bytes);
#endif
    swapCopyScalar(in + done, out + done, bytes - done);
}

}  // namespace

bool processorHasSsse3() {
#ifdef ORVEX_HAVE_SSSE3_PATH
    __builtin_cpu_init();  // the state is built before main: the processor may not be probed yet
    return __builtin_cpu_supports("ssse3");
#else
    return false;
#endif
}

// ---- Conversion ----------------------------------------------------------------------------

void buildPixelMap(int swap, PixelMap& map) {
    for (int p = 1; p <= 256; ++p) {
        const PaletteEntry& e = bmpState.palette[p];
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

namespace {

// The run-length data as a stream of codes: views of the source as large as it lends, and the
// few bytes of a code that straddles two views gathered in a buffer of their own.
class CodeStream {
public:
    CodeStream(ByteSource& source, long long bytes) : source_(source), left_(bytes) {}

    // The next `bytes` (at most 256) bytes, or null when the data ends first (status() says why).
    const std::uint8_t* take(long long bytes) {
        if (bytes <= available_) {
            const std::uint8_t* at = at_;
            at_ += bytes;
            available_ -= bytes;
            return at;
        }
        long long have = available_;
        if (have > 0) std::memcpy(gathered_, at_, static_cast<std::size_t>(have));
        available_ = 0;
        while (have < bytes) {
            if (!nextView()) return nullptr;
            const long long part = std::min(bytes - have, available_);
            if (have == 0 && part == bytes) return take(bytes);  // whole in the new view
            std::memcpy(gathered_ + have, at_, static_cast<std::size_t>(part));
            at_ += part;
            available_ -= part;
            have += part;
        }
        return gathered_;
    }
    long long status() const { return status_; }

    // The bytes of the current view not yet taken, and taking `bytes` of them.
    const std::uint8_t* unread(long long& bytes) const {
        bytes = available_;
        return at_;
    }
    void skip(long long bytes) {
        at_ += bytes;
        available_ -= bytes;
    }

private:
    bool nextView() {
        const long long bytes = std::min(left_, source_.viewLimit());
        if (bytes <= 0) {
            status_ = -1;
            return false;
        }
        status_ = source_.view(bytes, at_);
        if (status_ != 0) return false;
        left_ -= bytes;
        available_ = bytes;
        return true;
    }

    ByteSource& source_;
    long long left_;  // bytes not yet viewed
    const std::uint8_t* at_ = nullptr;
    long long available_ = 0;
    long long status_ = 0;
    std::uint8_t gathered_[256];
};

// `count` pixels of one 3-byte colour, eight at a time.
std::uint8_t* fillColour(std::uint8_t* out, const std::uint8_t* colour, long long count) {
    std::uint8_t eight[24];
    for (int k = 0; k < 8; ++k) std::memcpy(eight + 3 * k, colour, 3);
    for (; count >= 8; count -= 8, out += 24) std::memcpy(out, eight, 24);
    std::memcpy(out, eight, static_cast<std::size_t>(3 * count));
    return out + 3 * count;
}

// `count` pixels of one colour from the 8-bit lookup: four-byte stores that overlap by one; only
// the picture's last pixel is stored as three bytes.
inline std::uint8_t* putRun(std::uint8_t* out, const std::uint8_t* colour, long long count,
                            const std::uint8_t* lastPixel) {
    for (long long k = 1; k < count; ++k, out += 3) std::memcpy(out, colour, 4);
    if (out < lastPixel) {
        std::memcpy(out, colour, 4);
    } else {
        std::memcpy(out, colour, 3);
    }
    return out + 3;
}

// 8-bit run-length data into the picture, bottom row first: a count and an index repeat the
// index; 0 0 ends the line, 0 1 the picture, 0 2 dx dy moves right and up; 0 n (n >= 3) is n
// indices as stored, padded to an even count. The picture's end ends decoding.
BmpStatus decodeRunLengths(ByteSource& source, const BmpLayout& layout, const PixelMap& map, int swap,
                           std::uint8_t* pixels) {
    CodeStream codes(source, source.length() - layout.rowStart);
    const long long width = layout.width, height = layout.height;
    const std::uint8_t* skipped = map.colour[0];
    std::uint8_t* out = pixels;
    const std::uint8_t* const lastPixel = pixels + layout.pictureBytes - 3;
    long long x = 0, y = 0;
    // Pixels from here to (toX, toY), in file order, take palette entry 0.
    const auto skipTo = [&](long long toX, long long toY) {
        out = fillColour(out, skipped, (toY - y) * width + toX - x);
        x = toX;
        y = toY;
    };
    while (y < height) {
        // Runs straight from the current view: the bulk of most data, kept to a tight loop.
        long long available = 0;
        const std::uint8_t* const start = codes.unread(available);
        const std::uint8_t* at = start;
        for (long long pairs = available / 2; pairs > 0 && at[0] != 0; --pairs, at += 2) {
            const long long count = at[0];
            if (x + count > width) return bmpFailure(BmpFault::badRuns, "a run passes the end of its row");
            if (count == 1 && out < lastPixel) {
                std::memcpy(out, map.colour[at[1]], 4);  // putRun's store, without its loop
                out += 3;
            } else {
                out = putRun(out, map.colour[at[1]], count, lastPixel);
            }
            x += count;
        }
        codes.skip(at - start);

        const std::uint8_t* code = codes.take(2);
        if (!code) break;
        const long long first = code[0], second = code[1];
        if (first > 0) {
            if (x + first > width) return bmpFailure(BmpFault::badRuns, "a run passes the end of its row");
            out = putRun(out, map.colour[second], first, lastPixel);
            x += first;
        } else if (second == 0) {
            skipTo(0, y + 1);
        } else if (second == 1) {
            skipTo(0, height);
        } else if (second == 2) {
            const std::uint8_t* move = codes.take(2);
            if (!move) break;
            const long long toX = x + move[0], toY = y + move[1];
            if (toX > width || toY > height || (toY == height && toX > 0)) {
                return bmpFailure(BmpFault::badRuns, "a move passes the picture's edge");
            }
            skipTo(toX, toY);
        } else {
            if (x + second > width) return bmpFailure(BmpFault::badRuns, "a run passes the end of its row");
            const std::uint8_t* stored = codes.take(second);
            if (!stored) break;
            convertPixels(stored, second, 1, swap, map, out);
            out += 3 * second;
            x += second;
            // An odd run's padding byte; writers may leave it out after the picture's last pixel.
            if ((second & 1) && !codes.take(1)) break;
        }
    }
    // Data may end without a last code once every pixel is written.
    if (y < height && !(y == height - 1 && x == width)) {
        return bmpFailure(BmpFault::shortRows, "run-length data ends inside the picture", 0, codes.status());
    }
    return BmpStatus{};
}

// Uncompressed rows: whole rows as many as one view holds, or pieces of a row longer than one.
BmpStatus decodeRows(ByteSource& source, const BmpLayout& layout, const PixelMap& map, int swap,
                     std::uint8_t* pixels) {
    long long code = 0;
    const int bpp = layout.bytesPerPixel;
    const long long outRow = 3LL * layout.width;
    const long long limit = source.viewLimit();
    std::uint8_t* out = pixels;
    const std::uint8_t* stored = nullptr;
    if (layout.storedRowBytes <= limit) {
        // Whole rows, as many as one view holds.
        const long long rowsPerView = limit / layout.storedRowBytes;
        for (long long done = 0; done < layout.height;) {
            const long long rows = std::min(rowsPerView, layout.height - done);
            code = source.view(rows * layout.storedRowBytes, stored);
            if (code != 0) return bmpFailure(BmpFault::shortRows, "file ends inside the pixel rows", 0, code);
            for (long long r = 0; r < rows; ++r, out += outRow) {
                convertPixels(stored + r * layout.storedRowBytes, layout.width, bpp, swap, map, out);
            }
            done += rows;
        }
    } else {
        // A row longer than one view: pixel-aligned pieces, then the row's padding.
        const long long piecePixels = limit / bpp;
        if (piecePixels < 1) return bmpFailure(BmpFault::shortRows, "no staging memory", 0, -1);
        for (long long j = 0; j < layout.height; ++j) {
            for (long long done = 0; done < layout.width;) {
                const long long count = std::min(piecePixels, layout.width - done);
                code = source.view(count * bpp, stored);
                if (code != 0) return bmpFailure(BmpFault::shortRows, "file ends inside the pixel rows", 0, code);
                convertPixels(stored, count, bpp, swap, map, out);
                out += 3 * count;
                done += count;
            }
            std::uint8_t padding[4];
            code = source.read(padding, layout.storedRowBytes - layout.rowPixelBytes);
            if (code != 0) return bmpFailure(BmpFault::shortRows, "file ends inside the pixel rows", 0, code);
        }
    }
    return BmpStatus{};
}

}  // namespace

BmpStatus bmpDecode(ByteSource& source, const BmpLayout& layout, std::uint8_t* pixels,
                    long long imageByteCount, int swap) {
    if (!pixels || imageByteCount < layout.pictureBytes) {
        return bmpFailure(BmpFault::badSize, "target smaller than the picture");
    }
    std::uint8_t palette[4 * 256];
    const int entryBytes = layout.entryBytes;
    long long code = source.read(palette, static_cast<long long>(entryBytes) * layout.paletteEntries);
    if (code != 0) return bmpFailure(BmpFault::shortPalette, "file ends inside the palette", 0, code);
    for (int c = 1; c <= layout.paletteEntries; ++c) {
        const std::uint8_t* e = palette + entryBytes * (c - 1);
        bmpState.palette[c] = PaletteEntry{e[0], e[1], e[2], entryBytes == 4 ? e[3] : std::uint8_t{0}};
    }

    if (layout.rowStart != layout.paletteEnd) {
        code = source.seek(layout.rowStart);
        if (code != 0) return bmpFailure(BmpFault::shortRows, "file ends before the pixel rows", 0, code);
    }

    PixelMap map;
    buildPixelMap(swap, map);
    if (layout.runLengths) {
        const BmpStatus s = decodeRunLengths(source, layout, map, swap, pixels);
        if (s.fault != BmpFault::none) return s;
    } else {
        const BmpStatus s = decodeRows(source, layout, map, swap, pixels);
        if (s.fault != BmpFault::none) return s;
    }

    // Only the bytes past the picture need clearing: the rows above wrote every picture byte.
    if (imageByteCount > layout.pictureBytes) {
        std::memset(pixels + layout.pictureBytes, 0, static_cast<std::size_t>(imageByteCount - layout.pictureBytes));
    }
    return BmpStatus{};
}

}  // namespace image
