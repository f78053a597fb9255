#include "texts/texts.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using model::state;

const std::string kDegree(1, static_cast<char>(176));

void setName(int k, const char* name) {
    std::memset(state.imageFiles[k].text, ' ', model::kNameLength);
    std::memcpy(state.imageFiles[k].text, name, std::strlen(name));
}

// A full view with help on, five images and a stereo pair.
void resetState() {
    state = model::State{};
    state.imageCount = 5;
    for (int k = 1; k <= 5; ++k) state.radiiKm[k] = 1000.0 * k;
    setName(1, "Earth.Bmp");
    setName(2, "Moon.Bmp");
    setName(3, "Mars.Bmp");
    setName(4, "Venus.Bmp");
    setName(5, "ABCDEFGHIJKLMNOPQRST");
    state.radiiKm[1] = 6371.0;
    state.selectedImage = 1;
    state.fieldOfView = model::kStartFieldOfView;
    state.elevationKm = 1386.5;
    state.fullView = 1;
    state.helpShown = 1;
    state.eyeMode = 1;
    state.iterationCount = 1;
    state.secondsPerFrame = 0.25f;
    state.centreLatitude = -0.04;
    state.centreLongitude = -180.0;
}

struct Drawn {
    bool shown;
    std::string text;  // the first N characters, as printAtCursor draws them
    int row, col, colour;
};

Drawn format(int id) {
    screen::ScreenText out;
    if (!texts::formatFullViewText(id, state, out)) return {false, "", 0, 0, 0};
    EXPECT_EQ(out.buffer.length, screen::kTextBufferLength) << id;
    return {true, std::string(out.buffer.c_str(), out.length), out.row, out.col, out.colour};
}

TEST(Overlays, StatusLinesFormatTheirNumbersIntoTheirFields) {
    resetState();
    const struct {
        int id;
        int row, col, colour;
        std::string text;
    } expected[] = {
        {texts::kTitleText, 1, 1, 15, "Orvex.Exe v0.73      2004.11.05"},
        {texts::kHelpHintText, 4, 1, 14, "Press `H` or `h` for help"},
        {texts::kSelectedImageText, 2, 86, 15, "User supplied image #1: Earth.Bmp           "},
        {texts::kRadiusText, 3, 91, 11, "with radius=   6371. km"},
        {texts::kElevationText, 4, 98, 11, "Elev=   1387. km above surface"},
        {texts::kFieldOfViewText, 5, 99, 11, "FOV=      0.52" + kDegree},
        {texts::kWarrantyText, 6, 97, 1, "This program is not warranted          "},
        {texts::kGlErrorText, 8, 103, 8, "glGetError=       0"},
        {texts::kImageListText, 9, 106, 15, "#1: Earth.Bmp           "},
        {texts::kImageListText + 4, 13, 106, 15, "#5: ABCDEFGHIJKLMNOPQRST"},
        {texts::kHelpImageCountText, 17, 1, 15, "1:5-orvex images"},
        {texts::kIterationText, 57, 107, 7, "Iteration:          1"},
        {texts::kBenchmarkText, 58, 107, 15, "Benchmark: 0.250 sec."},
        {texts::kLeftEyeText, 50, 37, 13, "Left "},
        {texts::kRightEyeText, 50, 89, 13, "Right"},
        {texts::kCentreLatitudeText, 29, 117, 15, "Lat=   0.0" + kDegree},
        {texts::kCentreLongitudeText, 30, 117, 15, "Lon=-180.0" + kDegree},
    };
    for (const auto& e : expected) {
        const Drawn d = format(e.id);
        ASSERT_TRUE(d.shown) << e.id;
        EXPECT_EQ(d.text, e.text) << e.id;
        EXPECT_EQ(d.row, e.row) << e.id;
        EXPECT_EQ(d.col, e.col) << e.id;
        EXPECT_EQ(d.colour, e.colour) << e.id;
    }

    // Values too wide for their fields, and upper-case hex digits.
    state.elevationKm = 12345678.0;
    state.glErrorCode = 0x50A;
    state.iterationCount = 2000000001;
    state.centreLongitude = -1000.0;
    state.selectedImage = 3;
    EXPECT_EQ(format(texts::kElevationText).text, "Elev=******** km above surface");
    EXPECT_EQ(format(texts::kGlErrorText).text, "glGetError=     50A");
    EXPECT_EQ(format(texts::kIterationText).text, "Iteration: 2000000001");
    EXPECT_EQ(format(texts::kCentreLongitudeText).text, "Lon=******" + kDegree);
    EXPECT_EQ(format(texts::kSelectedImageText).text, "User supplied image #3: Mars.Bmp            ");
    EXPECT_EQ(format(texts::kRadiusText).text, "with radius=   3000. km");
}

TEST(Overlays, BenchmarkLineInSecondsInHertzOrWaiting) {
    resetState();
    state.secondsPerFrame = 0.2f;
    EXPECT_EQ(format(texts::kBenchmarkText).text, "Benchmark: 0.200 sec.");
    state.secondsPerFrame = 0.19999f;
    EXPECT_EQ(format(texts::kBenchmarkText).text, "Benchmark:     5.0 Hz");
    state.secondsPerFrame = 1.0f / 60.0f;
    EXPECT_EQ(format(texts::kBenchmarkText).text, "Benchmark:    60.0 Hz");
    state.secondsPerFrame = 1e-9f;
    EXPECT_EQ(format(texts::kBenchmarkText).text, "Benchmark:******** Hz");
    state.secondsPerFrame = 0.0f;  // no period has closed yet
    EXPECT_EQ(format(texts::kBenchmarkText).text, "Benchmark:    --.- Hz");

    state.benchmarkElapsed = 30.0f;
    EXPECT_TRUE(format(texts::kBenchmarkText).shown);
    state.benchmarkElapsed = 30.5f;  // a discarded period hides the line for that frame
    EXPECT_FALSE(format(texts::kBenchmarkText).shown);
    EXPECT_TRUE(format(texts::kIterationText).shown);
}

TEST(Overlays, WhichTextsAFrameShows) {
    resetState();
    state.helpShown = 0;
    state.eyeMode = 0;
    state.imageCount = 1;
    int shown = 0;
    for (int id = 1; id <= texts::kFullViewTextCount; ++id) {
        const Drawn d = format(id);
        if (!d.shown) continue;
        ++shown;
        // Nothing of the help screen, no eye labels, one image in the list.
        EXPECT_FALSE(d.col == 1 && d.row >= 5) << id;
        EXPECT_NE(d.row, 50) << id;
        EXPECT_FALSE(d.col == 106 && d.row != 9) << id;
    }
    EXPECT_EQ(shown, 12 + 1 + 2);

    state.eyeMode = -1;  // the R:L pair
    EXPECT_EQ(format(texts::kLeftEyeText).text, "Right");
    EXPECT_EQ(format(texts::kRightEyeText).text, "Left ");
    screen::ScreenText unused;
    EXPECT_FALSE(texts::formatFullViewText(0, state, unused));
    EXPECT_FALSE(texts::formatFullViewText(texts::kFullViewTextCount + 1, state, unused));
}

TEST(Overlays, EveryTextFitsItsLengthAndOwnLinesFitTheirFields) {
    resetState();
    for (int id = 1; id <= texts::kFullViewTextCount; ++id) {
        screen::ScreenText out;
        ASSERT_TRUE(texts::formatFullViewText(id, state, out)) << id;
        // Beyond N only blanks: a text cut short by its length would lose characters.
        for (int k = out.length; k < screen::kTextBufferLength; ++k) {
            EXPECT_EQ(out.buffer.text[k], ' ') << "text " << id << " longer than " << out.length;
        }
        EXPECT_GE(out.row, 1);
        EXPECT_LE(out.row, 59);
        EXPECT_GE(out.col, 1);
        EXPECT_LE(out.col, 128);
    }
    const std::string build = texts::buildPlatformLine();
    EXPECT_LE(build.size(), 38u);
    EXPECT_TRUE(build.find("GCC") != std::string::npos || build.find("Clang") != std::string::npos);
    EXPECT_NE(build.find("freeglut"), std::string::npos);
    const Drawn reference = format(texts::kSecondReferenceText);
    EXPECT_EQ(reference.text.substr(0, 5), "    :");
}

TEST(SmallWindowTexts, LabelsAndValuesAtTheirCells) {
    screen::ScreenText out[texts::kSmallWindowTextCount];
    texts::smallWindowTexts(45.5, -93.5, out);
    struct Expected {
        std::string start;
        int length, row, col, colour;
    } expected[] = {
        {"Orvex.Exe", 9, 3, 1, 15},
        {"`L` to return", 13, 58, 86, 14},
        {"Orvex.Out=  45.5\xB0", 10, 50, 1, 15},
        {"Lat=  45.5\xB0", 11, 54, 1, 15},
        {"Lon= -93.5\xB0", 11, 58, 1, 15},
    };
    for (int k = 0; k < texts::kSmallWindowTextCount; ++k) {
        SCOPED_TRACE(k);
        const std::string text = out[k].buffer.c_str();
        ASSERT_EQ(text.size(), 80u);
        EXPECT_EQ(text, expected[k].start + std::string(80 - expected[k].start.size(), ' '));
        EXPECT_EQ(out[k].length, expected[k].length);
        EXPECT_EQ(out[k].row, expected[k].row);
        EXPECT_EQ(out[k].col, expected[k].col);
        EXPECT_EQ(out[k].colour, expected[k].colour);
    }
}

}  // namespace
