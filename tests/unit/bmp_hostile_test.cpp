// Hostile and broken BMP files: each must end with its documented stop (or import), never a
// crash, a wrapped size or an allocation of what the header merely claims.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmp_testfiles.hpp"
#include "image/bmp.hpp"
#include "image/bmpdecode.hpp"
#include "startup/config.hpp"

namespace {

using bmptest::Bytes;
using image::BmpFault;

const char kL112[] = "^Module BmpSupp\\(L112\\) BmpImpor: Halt\\.\n$";
const char kL129[] = "^Module BmpSupp\\(L129\\) BmpImpor: Halt\\.\n$";
const char kDepth[] = "^Vsn 1\\.0 only supports 8 and 24 bit color \\.bmp files\\.\n$";
const char kCompressed[] = "^Orvex: compressed \\.bmp files are not read; tools/orvex-picture converts them\\.\n$";
const char kIo[] = "input/output failure";
const char kImported[] = "^imported\n$";
const char kDamaged[] = "^Orvex: the compressed rows of h\\.bmp are damaged: a (run passes the end of its row|move "
                        "passes the picture's edge)\\.\n$";
const char kReadErrorLine[] = " Read error. IOSTAT=       -1 ref: FCR p131\n \n";

// The start-up's calling sequence on one file in a death-test child, standard output kept.
void callerSequence(const char* name) { bmptest::importInChild(name, "stdout.txt"); }

std::string readAll(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes headerOnly(int width, int height, int bits, std::size_t totalBytes) {
    Bytes b = bmptest::headerBytes(bmptest::header(width, height, bits));
    b.resize(totalBytes, 0x5A);
    return b;
}

Bytes withOffset(std::uint32_t offBits) {
    Bytes b = bmptest::file24(4, 2);
    bmptest::patch32(b, 10, offBits);
    return b;
}

Bytes withDepth(int bits) {
    Bytes b = bmptest::file24(4, 2);
    b[28] = static_cast<std::uint8_t>(bits);
    b[29] = static_cast<std::uint8_t>(bits >> 8);
    return b;
}

Bytes withField(Bytes b, int offset, std::uint32_t value) {
    bmptest::patch32(b, offset, value);
    return b;
}

Bytes cut(Bytes b, std::size_t length) {
    b.resize(length);
    return b;
}

// `bytes` filler bytes between the palette (ending at `paletteEnd`) and the rows, the offset after them.
Bytes withGap(Bytes b, std::size_t paletteEnd, std::size_t bytes) {
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(paletteEnd), bytes, 0xC3);
    bmptest::patch32(b, 10, static_cast<std::uint32_t>(paletteEnd + bytes));
    return b;
}

struct HostileCase {
    const char* what;
    Bytes file;
    BmpFault fault;  // what the pure layer says, maxima = the header's own sizes
    int sizeStatus;
    int exitCode;
    const char* message;  // standard error, as a regular expression
};

class BmpHostile : public bmptest::ScratchFolder {};

TEST_F(BmpHostile, EveryBrokenHeaderEndsWithItsDocumentedStop) {
    const Bytes pal8 = bmptest::file8(5, 3, 256);  // rows of 8 bytes at 1078
    const Bytes rgb5 = bmptest::file24(5, 3);      // rows of 16 bytes, the last byte padding
    const HostileCase cases[] = {
        // Products that wrap in 32 bits, and claims far beyond the file.
        {"width 0x55555556 in 58 bytes", headerOnly(0x55555556, 1, 24, 58), BmpFault::badSize, 1, 0, kL112},
        {"INT_MAX x 1 palette", headerOnly(INT_MAX, 1, 8, 58), BmpFault::badSize, 1, 0, kL112},
        {"65536 x 65537 true colour", headerOnly(65536, 65537, 24, 58), BmpFault::badSize, 2, 0, kL112},
        {"65536 x 65537 palette", headerOnly(65536, 65537, 8, 1078), BmpFault::badSize, 2, 0, kL112},
        {"1 x 600000000 palette rows", headerOnly(1, 600000000, 8, 58), BmpFault::badSize, 2, 0, kL112},
        {"16384 x 16384 palette in 1100 bytes", headerOnly(16384, 16384, 8, 1100), BmpFault::shortRows, 0, 0,
         kL129},
        {"8192 x 4096 true colour in 58 bytes", headerOnly(8192, 4096, 24, 58), BmpFault::shortRows, 0, 0,
         kL129},
        // Sizes below 1, top-down and the most negative height.
        {"width 0", headerOnly(0, 2, 24, 78), BmpFault::badSize, 1, 0, kL112},
        {"height 0", headerOnly(4, 0, 24, 78), BmpFault::badSize, 2, 0, kL112},
        {"width -4", headerOnly(-4, 2, 24, 78), BmpFault::badSize, 1, 0, kL112},
        {"top-down height -2", headerOnly(4, -2, 24, 78), BmpFault::badSize, 2, 0, kL112},
        {"height INT_MIN", headerOnly(4, INT_MIN, 24, 78), BmpFault::badSize, 2, 0, kL112},
        {"both INT_MIN", headerOnly(INT_MIN, INT_MIN, 8, 78), BmpFault::badSize, 3, 0, kL112},
        // Pixel offsets: below or inside the header read no palette; beyond the file read 256.
        {"offset 0", withOffset(0), BmpFault::none, 0, 0, kImported},
        {"offset inside the header", withOffset(30), BmpFault::none, 0, 0, kImported},
        {"offset past the end", withOffset(5000), BmpFault::shortPalette, 0, 2, kIo},
        {"offset 0xFFFFFFFF", withOffset(0xFFFFFFFFu), BmpFault::shortPalette, 0, 2, kIo},
        // Depths other than 8 and 24 stop in the header read.
        {"depth 0", withDepth(0), BmpFault::badDepth, 0, 0, kDepth},
        {"depth 1", withDepth(1), BmpFault::badDepth, 0, 0, kDepth},
        {"depth 4", withDepth(4), BmpFault::badDepth, 0, 0, kDepth},
        {"depth 16", withDepth(16), BmpFault::badDepth, 0, 0, kDepth},
        {"depth 32", withDepth(32), BmpFault::badDepth, 0, 0, kDepth},
        {"depth 0xFFFF", withDepth(0xFFFF), BmpFault::badDepth, 0, 0, kDepth},
        // Compression and bit fields on the accepted depths, and info header sizes.
        {"RLE4 code on 8 bits", withField(pal8, 30, 2), BmpFault::compressed, 0, 0, kCompressed},
        // Run-length data (4 x 2 pictures) that overruns a row, the picture or the file.
        {"RLE8 run past its row", bmptest::fileRle8(4, 2, {3, 1, 2, 1, 0, 1}), BmpFault::badRuns, 0, 0, kDamaged},
        {"RLE8 stored run past its row", bmptest::fileRle8(4, 2, {0, 5, 1, 2, 3, 4, 5, 0}), BmpFault::badRuns, 0, 0,
         kDamaged},
        {"RLE8 move past the right edge", bmptest::fileRle8(4, 2, {0, 2, 5, 0}), BmpFault::badRuns, 0, 0, kDamaged},
        {"RLE8 move past the top", bmptest::fileRle8(4, 2, {0, 2, 1, 2}), BmpFault::badRuns, 0, 0, kDamaged},
        {"RLE8 ends after one row", bmptest::fileRle8(4, 2, {4, 1, 0, 0}), BmpFault::shortRows, 0, 0, kL129},
        {"RLE8 ends inside a stored run", bmptest::fileRle8(4, 2, {1, 5, 1, 5, 1, 5, 1, 5, 0, 0, 0, 4, 1, 2}),
         BmpFault::shortRows, 0, 0, kL129},
        {"RLE8 ends inside a move", bmptest::fileRle8(4, 2, {2, 1, 0, 2, 1}), BmpFault::shortRows, 0, 0, kL129},
        {"RLE8 last stored run without its padding byte", bmptest::fileRle8(3, 2, {3, 1, 0, 0, 0, 3, 4, 5, 6}),
         BmpFault::none, 0, 0, kImported},
        {"RLE8 5000000 empty rows", bmptest::fileRle8(1, 5000000, {0, 1}), BmpFault::none, 0, 0, kImported},
        {"RLE8 code on 24 bits", withField(rgb5, 30, 1), BmpFault::compressed, 0, 0, kCompressed},
        {"bit fields code on 24 bits", withField(rgb5, 30, 3), BmpFault::compressed, 0, 0, kCompressed},
        {"compression 0xFFFFFFFF", withField(rgb5, 30, 0xFFFFFFFFu), BmpFault::compressed, 0, 0, kCompressed},
        {"info header 124 bytes in 100", cut(withField(withField(rgb5, 14, 124), 10, 138), 100),
         BmpFault::shortHeader, 0, 2, kIo},
        {"40-byte layout labelled 124, cut in its rows", cut(withField(rgb5, 14, 124), 100), BmpFault::shortRows, 0,
         0, kL129},
        {"info header 12 bytes in 20", cut(withField(rgb5, 14, 12), 20), BmpFault::shortHeader, 0, 2, kIo},
        {"info header size 0xFFFFFFFF read as 40", withField(rgb5, 14, 0xFFFFFFFFu), BmpFault::none, 0, 0,
         kImported},
        {"info header 108 bytes, offset inside it", withField(withField(pal8, 14, 108), 10, 60),
         BmpFault::none, 0, 0, kImported},
        // Truncation in the header, the palette, the rows and the last row's padding.
        {"empty file", Bytes{}, BmpFault::shortHeader, 0, 2, kIo},
        {"one byte", cut(rgb5, 1), BmpFault::shortHeader, 0, 2, kIo},
        {"53 bytes", cut(rgb5, 53), BmpFault::shortHeader, 0, 2, kIo},
        {"inside the palette", cut(pal8, 54 + 100), BmpFault::shortPalette, 0, 2, kIo},
        {"palette without rows", cut(pal8, 1078), BmpFault::shortRows, 0, 0, kL129},
        {"a whole row missing", cut(pal8, 1078 + 16), BmpFault::shortRows, 0, 0, kL129},
        {"inside the last row", cut(rgb5, 54 + 40), BmpFault::shortRows, 0, 0, kL129},
        {"last padding byte missing", cut(rgb5, 54 + 47), BmpFault::shortRows, 0, 0, kL129},
        {"rows past a gap, cut short", cut(withGap(pal8, 1078, 300), 1078 + 300 + 16), BmpFault::shortRows, 0, 0,
         kL129},
        {"complete", rgb5, BmpFault::none, 0, 0, kImported},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        // The decoder from memory and from a file with a small staging buffer, with the
        // header's own sizes as the maxima: the same status, picture and palette.
        const bmptest::Decoded d = bmptest::decodeBothWays(c.file, 7);
        EXPECT_EQ(d.fault, c.fault);
        EXPECT_EQ(d.sizeStatus, c.sizeStatus);

        // The file routines, in the order start-up calls them.
        bmptest::writeFile("h.bmp", c.file);
        std::remove("stdout.txt");
        EXPECT_EXIT(callerSequence("h.bmp"), ::testing::ExitedWithCode(c.exitCode), c.message);
        EXPECT_EQ(readAll("stdout.txt"), c.message == kL129 ? kReadErrorLine : "");
    }
}

TEST_F(BmpHostile, MissingFilesStopWithTheirRoutinesMessage) {
    const std::string field = bmptest::field("absent.bmp");
    int w = 0, h = 0, bpp = 0;
    image::BmpPicture picture;
    EXPECT_EXIT(image::openBmp(field.c_str(), 14, picture, w, h, bpp), ::testing::ExitedWithCode(0),
                "^ReadaBmp: File not found\n$");
    // Trailing blanks are not part of the name: "absent.bmp " must not open "absent.bmp".
    bmptest::writeFile("absent.bmp ", bmptest::file24(1, 1));
    EXPECT_EXIT(image::openBmp(field.c_str(), 14, picture, w, h, bpp), ::testing::ExitedWithCode(0),
                "^ReadaBmp: File not found\n$");
}

// Orvex.Txt read as start-up reads it.
void readConfiguration(const char*) {
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("stdout.txt", "w", stdout)) std::_Exit(98);
    startup::readConfiguration();
    std::exit(0);
}

// Names that are not plain files: each ends at once with the input/output failure naming the
// file and the reason, before a header could size an allocation or a FIFO wait for its writer.
TEST_F(BmpHostile, NamesThatAreNotPlainFilesAreInputOutputFailures) {
    ASSERT_EQ(mkdir("Orvex.Txt", 0700), 0);
    ASSERT_EQ(mkdir("folder.bmp", 0700), 0);
    ASSERT_EQ(mkfifo("fifo.bmp", 0600), 0);
    const char kDirectory[] = "cannot read the BMP \\(Is a directory\\): ";
    const char kNotRegular[] = "cannot read the BMP \\(not a regular file\\): ";
    const struct {
        void (*run)(const char*);
        const char* name;
        std::string message;
    } cases[] = {
        {readConfiguration, "Orvex.Txt", "cannot read \\(Is a directory\\): Orvex\\.Txt"},
        {callerSequence, "folder.bmp", kDirectory + std::string("folder\\.bmp")},
        {callerSequence, "fifo.bmp", kNotRegular + std::string("fifo\\.bmp")},
        {callerSequence, "/dev/zero", kNotRegular + std::string("/dev/zero")},
        {callerSequence, "/dev/urandom", kNotRegular + std::string("/dev/urandom")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(c.run(c.name), ::testing::ExitedWithCode(2),
                    "^Orvex: input/output failure: " + c.message + "\n$");
    }
}

void importWith(const char* name, int maxWidth, int maxHeight, long long byteCount) {
    bmptest::importInChild(name, "stdout.txt", maxWidth, maxHeight, byteCount);
}

TEST_F(BmpHostile, SizesBeyondTheCallersMaximaOrBufferStop) {
    bmptest::writeFile("p.bmp", bmptest::file24(5, 3));
    EXPECT_EXIT(importWith("p.bmp", 4, 3, 45), ::testing::ExitedWithCode(0), kL112);
    EXPECT_EXIT(importWith("p.bmp", 5, 2, 45), ::testing::ExitedWithCode(0), kL112);
    EXPECT_EXIT(importWith("p.bmp", 5, 3, 44), ::testing::ExitedWithCode(0), kL112);  // target too small
    EXPECT_EXIT(importWith("p.bmp", 5, 3, 45), ::testing::ExitedWithCode(0), kImported);
    EXPECT_EXIT(importWith("p.bmp", INT_MAX, INT_MAX, 45), ::testing::ExitedWithCode(0), kImported);
    image::BmpLayout layout;
    EXPECT_EQ(image::bmpLayout(image::BmpHeader{bmptest::header(5, 3, 24)}, 4, 2, layout).sizeStatus, 3);
}

}  // namespace
