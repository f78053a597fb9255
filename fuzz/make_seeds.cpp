// Writes the fuzzers' seed corpora: a handful of small, valid and nearly valid inputs per target,
// built here so that no binary file lives in the repository.
//   make_seeds <folder>   creates <folder>/config, <folder>/bmp and <folder>/latlon
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/bmp.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A BMP of width x height at 8 or 24 bits with `entries` palette entries and patterned rows.
Bytes bmp(int width, int height, int bits, int entries, std::uint32_t offBits = 0) {
    image::BH h;
    h.bfOffBits = offBits ? offBits : static_cast<std::uint32_t>(54 + 4 * entries);
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.nBitsPP = static_cast<std::uint16_t>(bits);
    const long long rowBytes = (static_cast<long long>(width) * bits / 8 + 3) / 4 * 4;
    const int rows = height < 0 ? -height : height;
    h.bfSize = static_cast<std::uint32_t>(54 + 4 * entries + rowBytes * rows);
    Bytes b(image::kBmpHeaderBytes);
    image::encodeHeader(h, b.data());
    for (int k = 0; k < entries; ++k) {
        b.insert(b.end(), {static_cast<std::uint8_t>(3 * k), static_cast<std::uint8_t>(255 - k),
                           static_cast<std::uint8_t>(k ^ 0x5A), 0});
    }
    for (long long k = 0; k < rowBytes * rows; ++k) b.push_back(static_cast<std::uint8_t>(k * 37 + 11));
    return b;
}

// The same file with a longer info header: (infoSize - 40) zero bytes after the 40-byte one.
Bytes longHeader(Bytes b, int infoSize) {
    b.insert(b.begin() + image::kBmpHeaderBytes, static_cast<std::size_t>(infoSize - 40), 0);
    b[14] = static_cast<std::uint8_t>(infoSize);
    const std::uint32_t offBits = b[10] + (b[11] << 8) + static_cast<std::uint32_t>(infoSize - 40);
    b[10] = static_cast<std::uint8_t>(offBits);
    b[11] = static_cast<std::uint8_t>(offBits >> 8);
    return b;
}

// A file whose reserved byte asks the fuzz target for a staging buffer of 3 + `staging` bytes.
Bytes smallStaging(Bytes b, int staging) {
    b[7] = static_cast<std::uint8_t>(staging);
    return b;
}

// A 3 x 2 8-bit file with the 12-byte info header: 16-bit sizes, 3-byte palette entries.
Bytes coreHeader() {
    Bytes b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26 + 3 * 4, 0, 0, 0, 12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 8, 0};
    for (int k = 0; k < 4; ++k) b.insert(b.end(), {static_cast<std::uint8_t>(60 * k), 200, static_cast<std::uint8_t>(k)});
    b.insert(b.end(), {0, 1, 2, 0, 3, 2, 1, 0});
    return b;
}

// A 6 x 4 8-bit file of run-length data: a run, a stored run with its padding, a move, the end of
// a line, a run that fills a row and an early end of the picture.
Bytes runLengths() {
    Bytes b = bmp(6, 4, 8, 4);
    b.resize(54 + 16);
    b[30] = 1;
    b.insert(b.end(), {2, 1, 0, 3, 0, 1, 2, 0, 1, 3, 0, 0, 0, 2, 1, 1, 5, 2, 0, 1});
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 1;
    }
    const std::string root = argv[1];
    struct Seed {
        const char* folder;
        const char* name;
        Bytes bytes;
    };
    const Seed seeds[] = {
        {"config", "three", text("3\nearth.bmp\n6371\nmars.bmp\n3390 km\nmoon.bmp\n1737.4\n")},
        {"config", "clamped", text("7 images\n'a b,c/d.bmp'\n-2000\n\"q\"\"uote.bmp\"\n-0.5\nx\n1.5d3\n"
                                   "y\n2E+2\nz\n+.5e-1\n")},
        {"config", "blank-lines", text("\r\n  \t\n 2\r\n\r\n name.bmp 12\r\n\n 9999999\n/\n,\n")},
        {"config", "missing", text("1\nabsent?.bmp\n1\n")},
        {"config", "unquoted-end", text("2\n'open\n")},
        {"config", "word", text("three\n")},
        {"config", "empty", text("")},
        {"latlon", "written", text("   45.0\n  -93.4\n Above: latitude & longitude in degrees.\n")},
        {"latlon", "forms", text("\n\t+1.5d1, rest\r\n-2E+2/x\n")},
        {"latlon", "bare-sign-exponent", text(" 1.5+3\n -1-2\n")},
        {"latlon", "no-longitude", text(" 12.5\n\n")},
        {"latlon", "word", text("north\n")},
        {"bmp", "rgb-odd-width", bmp(5, 3, 24, 0)},
        {"bmp", "palette-full", bmp(5, 3, 8, 256)},
        {"bmp", "palette-short", bmp(7, 2, 8, 4)},
        {"bmp", "palette-none", bmp(3, 3, 8, 0)},
        {"bmp", "offset-beyond", bmp(2, 2, 8, 256, 5000)},
        {"bmp", "top-down", bmp(4, -2, 24, 0)},
        {"bmp", "one-pixel", bmp(1, 1, 24, 0)},
        {"bmp", "info-124-palette", longHeader(bmp(5, 3, 8, 256), 124)},
        {"bmp", "info-108-rgb", longHeader(bmp(6, 2, 24, 0), 108)},
        {"bmp", "info-12-palette", coreHeader()},
        {"bmp", "staging-rows", smallStaging(bmp(9, 4, 24, 0), 5)},
        {"bmp", "staging-pieces", smallStaging(bmp(40, 2, 8, 16), 1)},
        {"bmp", "run-lengths", runLengths()},
        {"bmp", "run-lengths-staging", smallStaging(runLengths(), 1)},
    };
    for (const char* folder : {"config", "bmp", "latlon"}) mkdir((root + "/" + folder).c_str(), 0755);
    for (const Seed& s : seeds) {
        const std::string path = root + "/" + s.folder + "/" + s.name;
        if (!writeFile(path, s.bytes)) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
