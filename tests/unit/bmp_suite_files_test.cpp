// Every file of the shared BMP collection, through the file routines in the order start-up calls
// them: each imports or ends with the documented stop that the pure layer's status names.
#include <gtest/gtest.h>

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

namespace {

namespace fs = std::filesystem;
using image::BmpFault;

// Header, preflight, picture buffer, import; "imported" on standard error when nothing stopped.
void startupSequence(const std::string& name) {
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout)) std::_Exit(98);
    const std::string field = bmptest::field(name);
    int width = 0, height = 0, bytesPerPixel = 0, status = 0;
    image::ReadaBmp(field.c_str(), 14, width, height, bytesPerPixel);
    image::BmpCheck(field.c_str(), 14, width, height);
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(3LL * width * height));
    image::BmpImpor(field.c_str(), 14, width, height, 3LL * width * height, picture.data(), 1, status);
    std::fputs("imported\n", stderr);
    std::exit(0);
}

// The standard-error text and exit status each status of the pure layer stands for.
struct Outcome {
    int exitCode;
    const char* message;
};
Outcome outcomeOf(BmpFault fault) {
    switch (fault) {
        case BmpFault::none: return {0, "^imported\n$"};
        case BmpFault::badDepth: return {0, "^Vsn 1\\.0 only supports 8 and 24 bit color \\.bmp files\\.\n$"};
        case BmpFault::badSize: return {0, "^Module BmpSupp\\(L112\\) BmpImpor: Halt\\.\n$"};
        case BmpFault::shortRows: return {0, "^Module BmpSupp\\(L129\\) BmpImpor: Halt\\.\n$"};
        case BmpFault::shortHeader:
        case BmpFault::shortPalette: return {2, "^Orvex: input/output failure: file ends inside the BMP"};
    }
    return {-1, "unreachable"};
}

class BmpCollectionFiles : public bmptest::ScratchFolder {};

TEST_F(BmpCollectionFiles, EachEndsAsItsStatusSays) {
    const fs::path root = fs::path(ORVEX_SOURCE_DIR) / ".." / "shared" / "bmpsuite";
    if (!fs::is_directory(root)) GTEST_SKIP() << "no BMP collection at " << root;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".bmp") continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        const bmptest::Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const long long size = static_cast<long long>(file.size());
        const image::BH header = size >= 54 ? image::decodeHeader(file.data()) : image::BH{};
        image::BmpLayout layout;
        const BmpFault fault = image::bmpInspect(file.data(), size, header.biWidth, header.biHeight, layout).fault;

        // A short local name: names are 20-character fields.
        bmptest::writeFile("suite.bmp", file);
        const Outcome expected = outcomeOf(fault);
        EXPECT_EXIT(startupSequence("suite.bmp"), ::testing::ExitedWithCode(expected.exitCode), expected.message);
    }
    EXPECT_GT(files, 0);
}

}  // namespace
