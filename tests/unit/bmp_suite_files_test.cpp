// Every file of the shared BMP collection: each file the header says the viewer reads imports
// with exactly the colours of a reference decoder (stb_image; ImageMagick for run-length files,
// which stb_image does not read), from memory and from a file read through a small staging buffer
// alike; each other file ends with the stop its header calls for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include "bmp_testfiles.hpp"
#include "image/bmp.hpp"

namespace {

namespace fs = std::filesystem;
using bmptest::Bytes;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
int le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

void startupSequence(const std::string& name) { bmptest::importInChild(name); }

// What the header alone calls for, read here apart from the decoder: the message of a refusal,
// or null for a file to import.
const char* refusalFor(const Bytes& file) {
    const std::uint32_t infoSize = le32(file, 14);
    const bool core = infoSize == 12;
    const int bits = le16(file, core ? 24 : 28);
    const std::uint32_t compression = core || infoSize < 20 ? 0 : le32(file, 30);
    const long long height = core ? le16(file, 20) : static_cast<std::int32_t>(le32(file, 22));
    if (bits != 8 && bits != 24) return "^Vsn 1\\.0 only supports 8 and 24 bit color \\.bmp files\\.\n$";
    if (compression != 0 && !(compression == 1 && bits == 8)) {
        return "^Orvex: compressed \\.bmp files are not read; tools/orvex-picture converts them\\.\n$";
    }
    if (height < 1) return "^Module BmpSupp\\(L112\\) BmpImpor: Halt\\.\n$";
    return nullptr;
}

// The file as the reference decoder should see it: the palette cut to the 256 entries the viewer
// reads, and an info header of a size the reference does not know cut or padded to the 40-byte one.
Bytes referenceCopy(const Bytes& file) {
    const std::uint32_t infoSize = le32(file, 14);
    const long long entryBytes = infoSize == 12 ? 3 : 4;
    const long long paletteStart = 14 + infoSize;
    const long long entries = std::clamp((static_cast<long long>(le32(file, 10)) - paletteStart) / entryBytes, 0LL, 256LL);
    const long long rowStart = std::max<long long>(paletteStart + entryBytes * entries, le32(file, 10));
    Bytes copy(file.begin(), file.begin() + 14);
    if (infoSize == 12 || infoSize == 40 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
        copy.insert(copy.end(), file.begin() + 14, file.begin() + paletteStart);
    } else {
        copy.insert(copy.end(), file.begin() + 14, file.begin() + 14 + std::min<long long>(infoSize, 40));
        copy.resize(54, 0);
        copy[14] = 40;
    }
    // The reference reads no palette of a 24-bit file and wants its rows right after the header.
    if (le16(file, infoSize == 12 ? 24 : 28) == 8) {
        copy.insert(copy.end(), file.begin() + paletteStart, file.begin() + paletteStart + entryBytes * entries);
    }
    // For a 12-byte header the reference counts its palette entries 12 bytes short (as if the
    // header were 24 bytes) and skips to the rows after them: 12 bytes of filler even that out.
    if (infoSize == 12) copy.resize(copy.size() + 12, 0);
    const std::uint32_t copyRowStart = static_cast<std::uint32_t>(copy.size());
    for (int k = 0; k < 4; ++k) copy[10 + k] = static_cast<std::uint8_t>(copyRowStart >> (8 * k));
    copy.insert(copy.end(), file.begin() + rowStart, file.end());
    return copy;
}

// ImageMagick's picture of a file: red, green, blue, bottom row first. (Pillow 9.4 reads the
// two bytes of a move twice, so it misplaces every pixel after one.)
Bytes magickPicture(const std::string& name, long long bytes) {
    const std::string command = "/usr/bin/convert " + name + " -flip -depth 8 rgb:- 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    Bytes picture(static_cast<std::size_t>(bytes) + 1);
    const std::size_t got = pipe ? std::fread(picture.data(), 1, picture.size(), pipe) : 0;
    if (pipe) pclose(pipe);
    picture.resize(got);
    return picture;
}

class BmpCollectionFiles : public bmptest::ScratchFolder {};

TEST_F(BmpCollectionFiles, AcceptedFilesMatchTheReferenceAndOthersStopAsTheirHeaderSays) {
    // The collection sits in shared/ beside the project (or beside its worktree folder).
    fs::path root = fs::path(ORVEX_SOURCE_DIR) / ".." / "shared" / "bmpsuite";
    if (!fs::is_directory(root)) root = fs::path(ORVEX_SOURCE_DIR) / ".." / ".." / "shared" / "bmpsuite";
    if (!fs::is_directory(root)) GTEST_SKIP() << "no BMP collection beside " << ORVEX_SOURCE_DIR;
    stbi_set_flip_vertically_on_load(1);  // bottom row first, as the viewer delivers it
    int accepted = 0, refused = 0, runLengths = 0;
    for (const char* folder : {"g", "q"}) {
        for (const auto& entry : fs::directory_iterator(root / folder)) {
            if (entry.path().extension() != ".bmp") continue;
            SCOPED_TRACE(entry.path().string());
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_GE(file.size(), 30u);
            bmptest::writeFile("suite.bmp", file);  // names are 20-character fields
            const char* refusal = refusalFor(file);
            if (refusal) {
                ++refused;
                EXPECT_EXIT(startupSequence("suite.bmp"), ::testing::ExitedWithCode(0), refusal);
                continue;
            }
            ++accepted;
            EXPECT_EXIT(startupSequence("suite.bmp"), ::testing::ExitedWithCode(0), "^imported\n$");
            const bmptest::Decoded viewer = bmptest::decodeBothWays(file, 37);
            ASSERT_EQ(viewer.fault, image::BmpFault::none);

            if (le32(file, 30) == 1 && le32(file, 14) != 12) {
                const Bytes want = magickPicture("suite.bmp", static_cast<long long>(viewer.picture.size()));
                EXPECT_TRUE(viewer.picture == want) << "colours differ from ImageMagick";
                ++runLengths;
                continue;
            }
            const Bytes copy = referenceCopy(file);
            int width = 0, height = 0, channels = 0;
            stbi_uc* reference = stbi_load_from_memory(copy.data(), static_cast<int>(copy.size()), &width,
                                                       &height, &channels, 3);
            ASSERT_NE(reference, nullptr) << stbi_failure_reason();
            const Bytes want(reference, reference + 3LL * width * height);
            stbi_image_free(reference);
            EXPECT_TRUE(viewer.picture == want) << "colours differ from the reference decoder";
        }
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
    EXPECT_EQ(runLengths, 3);  // pal8rle, pal8rlecut, pal8rletrns
}

}  // namespace
