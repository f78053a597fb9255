#include "image/screendump.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../support/scratch_folder.hpp"

namespace {

std::uint32_t le32(const std::uint8_t* b) {
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | (b[1] << 8)); }

std::vector<std::uint8_t> readBytes(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool exists(const char* name) {
    struct stat st;
    return stat(name, &st) == 0;
}

TEST(DumpHeader, FieldsOfAFullSizeDumpAtTheirOffsets) {
    image::BmpHeaderFields header;
    image::dumpHeader(1024, 768, header);
    std::uint8_t b[image::kBmpHeaderBytes];
    image::encodeHeader(header, b);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b + 2), 2359350u);  // fileSize = 54 + 3 x 1024 x 768
    EXPECT_EQ(le16(b + 6), 0);
    EXPECT_EQ(le16(b + 8), 0);
    EXPECT_EQ(le32(b + 10), 54u);      // pixelOffset: no palette
    EXPECT_EQ(le32(b + 14), 40u);      // infoHeaderSize
    EXPECT_EQ(le32(b + 18), 1024u);    // width
    EXPECT_EQ(le32(b + 22), 768u);     // height, positive: bottom row first
    EXPECT_EQ(le16(b + 26), 1);        // planes
    EXPECT_EQ(le16(b + 28), 24);       // bits per pixel
    EXPECT_EQ(le32(b + 30), 0u);       // compression
    EXPECT_EQ(le32(b + 34), 0u);       // pixelDataSize
    EXPECT_EQ(le32(b + 38), 3780u);    // resolution, pixels per metre
    EXPECT_EQ(le32(b + 42), 3780u);
    EXPECT_EQ(le32(b + 46), 0u);
    EXPECT_EQ(le32(b + 50), 0u);
}

TEST(DumpPixels, ChannelsAreTruncatedClampedAndStoredBlueFirst) {
    EXPECT_EQ(image::channelByte(0.5f), 127);   // truncation, not rounding
    EXPECT_EQ(image::channelByte(1.0f), 255);
    EXPECT_EQ(image::channelByte(1.7f), 255);
    EXPECT_EQ(image::channelByte(0.999f), 254);
    EXPECT_EQ(image::channelByte(0.0f), 0);
    EXPECT_EQ(image::channelByte(-0.3f), 0);
    EXPECT_EQ(image::channelByte(std::nanf("")), 0);
    EXPECT_EQ(image::channelByte(INFINITY), 255);
    EXPECT_EQ(image::channelByte(-INFINITY), 0);

    const float rgb[] = {1.0f, 0.5f, 0.0f, 0.2f, 0.4f, 0.6f};
    std::uint8_t bgr[6] = {};
    image::floatsToBgr(rgb, 2, bgr);
    const std::uint8_t expected[] = {0, 127, 255, 153, 102, 51};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(bgr[k], expected[k]) << k;
}

// Dumps of a small layout in a scratch working directory.
class DumpFiles : public testsupport::ScratchFolder {
protected:
    static constexpr int kWidth = 4;   // 12 bytes a row: no padding
    static constexpr int kHeight = 3;
    static constexpr std::size_t kFileBytes = 54 + 3 * kWidth * kHeight;

    void SetUp() override {
        ScratchFolder::SetUp();
        image::dumpState = image::DumpState{};
        // The bottom-left pixel is pure blue, every other one a grey of its own.
        std::vector<float> rgb(3 * kWidth * kHeight);
        for (std::size_t k = 0; k < rgb.size(); ++k) rgb[k] = static_cast<float>(k) / 40.0f;
        rgb[0] = 0.0f, rgb[1] = 0.0f, rgb[2] = 1.0f;
        image::floatsToBgr(rgb.data(), kWidth * kHeight, picture_);
    }
    void dump() {
        image::beginDump(kWidth, kHeight);
        image::finishDump(picture_);
    }
    std::uint8_t picture_[3 * kWidth * kHeight] = {};
};

TEST_F(DumpFiles, FourDumpsWriteNumberedFilesAndReport) {
    for (int n = 1; n <= 4; ++n) {
        testing::internal::CaptureStdout();
        dump();
        const std::string name = "ScrnDmp" + std::to_string(n) + ".Bmp";
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  " Writing: " + name + "  size:        4 x         3\n\a\n");
        const std::vector<std::uint8_t> bytes = readBytes(name.c_str());
        ASSERT_EQ(bytes.size(), kFileBytes) << name;
        EXPECT_EQ(le32(bytes.data() + 2), kFileBytes);
        EXPECT_EQ(bytes[54], 255);  // blue of the bottom-left pixel comes first
        EXPECT_EQ(bytes[55], 0);
        EXPECT_EQ(bytes[56], 0);
        EXPECT_TRUE(std::equal(bytes.begin() + 54, bytes.end(), picture_)) << name;
    }
    EXPECT_EQ(image::dumpState.dumpCount, 4);
    EXPECT_FALSE(exists("ScrnDmp5.Bmp"));
}

TEST_F(DumpFiles, FifthDumpWritesItsFileThenEndsTheRun) {
    image::dumpState.dumpCount = 4;
    EXPECT_EXIT(dump(), ::testing::ExitedWithCode(0),
                "^GLScrSup:ScrnDmp: ~: 5 screens dumped\\. Execution stopped\\.\n$");
    EXPECT_EQ(readBytes("ScrnDmp5.Bmp").size(), kFileBytes);
}

TEST_F(DumpFiles, PaddedRowsStopTheRunBeforeAnythingIsWritten) {
    EXPECT_EXIT(image::beginDump(5, 3), ::testing::ExitedWithCode(0), "^ScrnDmp: iHr4<>iHr3\n$");
}

TEST_F(DumpFiles, FileThatCannotBeCreatedIsReportedAndRetried) {
    testing::internal::CaptureStdout();
    dump();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(mkdir("ScrnDmp2.Bmp", 0700), 0);
    testing::internal::CaptureStdout();
    dump();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " Writing: ScrnDmp2.Bmp  size:        4 x         3\n"
              " ScrnDmp: cannot create ScrnDmp2.Bmp; no screen dumped.\n");
    EXPECT_EQ(image::dumpState.dumpCount, 1);

    // The next dump takes the same name once it can be made, and the count goes on from there.
    ASSERT_EQ(rmdir("ScrnDmp2.Bmp"), 0);
    testing::internal::CaptureStdout();
    dump();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readBytes("ScrnDmp2.Bmp").size(), kFileBytes);
    EXPECT_EQ(image::dumpState.dumpCount, 2);
    EXPECT_FALSE(exists("ScrnDmp3.Bmp"));
}

}  // namespace
