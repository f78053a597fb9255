#include "places/gazetteer.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using places::kPlaceCount;
using places::placePositions;
using places::placeNames;

std::string nameOf(int row) { return std::string(placeNames[row].text, places::kPlaceNameLength); }

std::string trimmed(int row) {
    std::string name = nameOf(row);
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

TEST(Gazetteer, TellingRowsHoldTheirNamesAndSinglePrecisionCentres) {
    struct Telling {
        int row;
        const char* name;
        float longitude, latitude;
    };
    const Telling telling[] = {
        {1, "Afghanistan", 67.733337f, 33.9000f},
        {7, "Antarctica", 0.0f, -76.6083f},
        {64, "Fiji", 178.0250f, -17.7583f},
        {77, "Greenland", -42.4083f, 71.7750f},
        {93, "Iraq-Saudi Arabia Neutral Zone", 45.6333f, 29.1167f},
        {192, "Tonga", -174.9417f, -21.3750f},
        {204, "United States", -93.4064f, 37.0587f},
        {218, "China", 99.9833f, 36.6684f},
        {219, "Alabama", -86.6892f, 32.6147f},
        {220, "Alaska", -149.0870f, 62.8855f},
        {227, "District Of Columbia", -77.0147f, 38.8834f},
        {230, "Hawaii", -155.4330f, 19.5957f},
        {269, "Wyoming", -107.5534f, 43.0003f},
    };
    for (const Telling& t : telling) {
        SCOPED_TRACE(t.row);
        EXPECT_EQ(trimmed(t.row), t.name);
        EXPECT_EQ(placePositions[t.row].longitude, static_cast<double>(t.longitude));
        EXPECT_EQ(placePositions[t.row].latitude, static_cast<double>(t.latitude));
    }
    EXPECT_EQ(placePositions[1].longitude, 67.73333740234375);
    EXPECT_EQ(nameOf(93), "Iraq-Saudi Arabia Neutral Zone");  // fills its field exactly
    EXPECT_EQ(nameOf(227), "District Of Columbia          ");
}

TEST(Gazetteer, RowsFollowTheDocumentedOrder) {
    ASSERT_EQ(placeNames.size(), 269);
    ASSERT_EQ(placePositions.size(), 269);
    for (int row = 2; row <= 217; ++row) {
        EXPECT_LT(std::strcmp(placeNames[row - 1].text, placeNames[row].text), 0) << "row " << row;
    }
    for (int row = places::kFirstStateRow + 1; row <= kPlaceCount; ++row) {
        EXPECT_LT(std::strcmp(placeNames[row - 1].text, placeNames[row].text), 0) << "row " << row;
    }
    EXPECT_EQ(trimmed(217), "Zimbabwe");
    EXPECT_EQ(trimmed(places::kCountryRows), "China");

    // Georgia twice: the country over the Caucasus, the state in the south-eastern US.
    EXPECT_EQ(trimmed(72), "Georgia");
    EXPECT_EQ(trimmed(229), "Georgia");
    EXPECT_GT(placePositions[72].longitude, 40.0);
    EXPECT_LT(placePositions[229].longitude, -80.0);
    int georgias = 0;
    for (int row = 1; row <= kPlaceCount; ++row) georgias += trimmed(row) == "Georgia";
    EXPECT_EQ(georgias, 2);
}

TEST(Gazetteer, NamesAreBlankPaddedThirtyCharacterFields) {
    for (int row = 1; row <= kPlaceCount; ++row) {
        SCOPED_TRACE(row);
        const char* text = placeNames[row].text;
        EXPECT_EQ(std::strlen(text), 30u);
        EXPECT_NE(text[0], ' ');
        const std::string name = trimmed(row);
        EXPECT_EQ(name.find("  "), std::string::npos);  // no run of blanks inside a name
        EXPECT_EQ(nameOf(row).find_first_not_of(' ', name.size()), std::string::npos);
    }
}

TEST(Gazetteer, CoordinatesAreInRangeSinglePrecisionAndOnlyAntarcticaTouchesZero) {
    for (int row = 1; row <= kPlaceCount; ++row) {
        SCOPED_TRACE(trimmed(row));
        const double lon = placePositions[row].longitude, lat = placePositions[row].latitude;
        EXPECT_GE(lon, -180.0);
        EXPECT_LE(lon, 180.0);
        EXPECT_GE(lat, -90.0);
        EXPECT_LE(lat, 90.0);
        EXPECT_EQ(static_cast<double>(static_cast<float>(lon)), lon);
        EXPECT_EQ(static_cast<double>(static_cast<float>(lat)), lat);
        if (row != 7) {
            EXPECT_NE(lon, 0.0);
            EXPECT_NE(lat, 0.0);
        }
    }
    EXPECT_EQ(placePositions[7].longitude, 0.0);
}

// Coarse boxes around well-known regions, thin and island ones among them: a centre outside its
// box has slipped into a neighbour or the sea.
TEST(Gazetteer, CentresFallInsideRoughBoxesOfTheirRegions) {
    struct Box {
        const char* name;
        double west, east, south, north;
    };
    const Box boxes[] = {
        {"Chile", -75.0, -67.0, -55.0, -18.0},       {"Norway", 4.5, 31.0, 58.0, 71.2},
        {"Italy", 6.6, 18.5, 37.0, 47.0},            {"Vietnam", 102.2, 109.5, 8.6, 23.4},
        {"Croatia", 13.5, 19.4, 42.4, 46.5},         {"Gambia", -16.8, -13.8, 13.1, 13.8},
        {"Japan", 129.5, 145.8, 31.0, 45.5},         {"Indonesia", 95.0, 141.0, -11.0, 6.0},
        {"Philippines", 117.0, 126.6, 5.0, 19.0},    {"Greece", 19.4, 28.2, 34.9, 41.7},
        {"New Zealand", 166.5, 178.6, -47.3, -34.4}, {"Malaysia", 99.6, 119.3, 0.9, 7.4},
        {"Fiji", 177.0, 180.0, -19.2, -16.0},        {"Kiribati", -157.6, -157.1, 1.6, 2.1},
        {"French Polynesia", -149.7, -149.1, -17.9, -17.4},
        {"Marshall Islands", 171.0, 171.5, 7.0, 7.3}, {"Texas", -106.6, -93.6, 25.9, 36.5},
        {"Hawaii", -156.1, -154.8, 18.9, 20.3},      {"Wyoming", -111.0, -104.1, 41.0, 45.0},
    };
    for (const Box& box : boxes) {
        int row = 1;
        while (row <= kPlaceCount && trimmed(row) != box.name) ++row;
        ASSERT_LE(row, kPlaceCount) << box.name;
        SCOPED_TRACE(box.name);
        EXPECT_GT(placePositions[row].longitude, box.west);
        EXPECT_LT(placePositions[row].longitude, box.east);
        EXPECT_GT(placePositions[row].latitude, box.south);
        EXPECT_LT(placePositions[row].latitude, box.north);
    }
}

}  // namespace
