// Writes the fuzzers' seed corpora: a handful of small, valid and nearly valid inputs per target,
// built here so that no binary file lives in the repository.
//   make_seeds <folder>   creates <folder>/config, <folder>/bmp and <folder>/latlon
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/support/bmp_writer.hpp"

namespace {

using bmptest::Bytes;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A sample picture of width x height at 8 or 24 bits with `entries` palette entries, stored top
// row first when the height is negative.
Bytes bmp(int width, int height, int bits, int entries) {
    const bmptest::Shape shape{width, height < 0 ? -height : height, bits, entries, height < 0};
    return bits == 8 ? bmptest::encodeBmp(shape, bmptest::sampleIndex, bmptest::paletteColour)
                     : bmptest::encodeBmp(shape, bmptest::sample);
}

Bytes withOffset(Bytes b, std::uint32_t offBits) {
    bmptest::patch32(b, 10, offBits);
    return b;
}

// A file whose reserved byte asks the fuzz target for a staging buffer of 3 + `staging` bytes.
Bytes smallStaging(Bytes b, int staging) {
    b[7] = static_cast<std::uint8_t>(staging);
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
        {"bmp", "offset-beyond", withOffset(bmp(2, 2, 8, 256), 5000)},
        {"bmp", "top-down", bmp(4, -2, 24, 0)},
        {"bmp", "one-pixel", bmp(1, 1, 24, 0)},
        {"bmp", "info-124-palette", bmptest::withInfoHeader(bmp(5, 3, 8, 256), 124)},
        {"bmp", "info-108-rgb", bmptest::withInfoHeader(bmp(6, 2, 24, 0), 108)},
        {"bmp", "info-12-palette", bmptest::withInfoHeader(bmp(3, 2, 8, 4), 12)},
        {"bmp", "staging-rows", smallStaging(bmp(9, 4, 24, 0), 5)},
        {"bmp", "staging-pieces", smallStaging(bmp(40, 2, 8, 16), 1)},
        {"bmp", "run-lengths", runLengths()},
        {"bmp", "run-lengths-staging", smallStaging(runLengths(), 1)},
    };
    for (const char* folder : {"config", "bmp", "latlon"}) mkdir((root + "/" + folder).c_str(), 0755);
    for (const Seed& s : seeds) {
        const std::string path = root + "/" + s.folder + "/" + s.name;
        if (!bmptest::writeFile(path, s.bytes)) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
