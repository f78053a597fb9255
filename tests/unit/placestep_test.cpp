#include "places/placestep.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "places/gazetteer.hpp"
#include "model/state.hpp"
#include "view/stroke.hpp"

namespace {

using places::placeLetter;
using places::PlaceLetter;

constexpr int kFiji = 64;
constexpr int kAntarctica = 7;
const double kDegToRad = std::atan2(1.0, 1.0) / 45.0;

double length(const double p[3]) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }

void expectSurfacePoint(const double p[3], double lonDeg, double latDeg) {
    const double lon = lonDeg * kDegToRad, lat = latDeg * kDegToRad;
    EXPECT_NEAR(p[0], 20.15 * std::cos(lat) * std::sin(lon), 1e-12);
    EXPECT_NEAR(p[1], -20.15 * std::cos(lat) * std::cos(lon), 1e-12);
    EXPECT_NEAR(p[2], 20.15 * std::sin(lat), 1e-12);
}

void expectText(const PlaceLetter& letter, char c) {
    EXPECT_EQ(letter.text[0], c);
    EXPECT_EQ(letter.text[1], '\0');
    for (int k = 2; k < view::kStrokeTextLength; ++k) EXPECT_EQ(letter.text[k], ' ') << k;
}

TEST(PlaceLetters, FijiRunsEastPastTheDateLineWithoutWrapping) {
    const double lon = static_cast<double>(178.025f), lat = static_cast<double>(-17.7583f);

    const PlaceLetter first = placeLetter(kFiji, 1);
    expectSurfacePoint(first.position, lon, lat);
    EXPECT_EQ(first.angles[0], 180.0 - lat);
    EXPECT_EQ(first.angles[1], 0.0);
    EXPECT_EQ(first.angles[2], lon);
    EXPECT_EQ(first.size, 0.1);
    EXPECT_EQ(first.colour, 14);
    expectText(first, 'F');

    const PlaceLetter sixth = placeLetter(kFiji, 6);  // first blank after "Fiji"
    EXPECT_NEAR(sixth.angles[2], 180.525, 1e-5);
    EXPECT_DOUBLE_EQ(sixth.angles[2], lon + 2.5);
    expectSurfacePoint(sixth.position, lon + 2.5 - 360.0, lat);  // the same point seen from -180
    EXPECT_LT(sixth.position[0], 0.0);                            // now west of the date line
    expectText(sixth, ' ');

    EXPECT_DOUBLE_EQ(placeLetter(kFiji, 30).angles[2], lon + 14.5);
    expectText(placeLetter(kFiji, 4), 'i');
}

TEST(PlaceLetters, AntarcticaIsWrittenAlongItsParallelFromLongitudeZero) {
    const double lat = static_cast<double>(-76.6083f);
    const PlaceLetter first = placeLetter(kAntarctica, 1);
    EXPECT_EQ(first.position[0], 0.0);
    EXPECT_NEAR(first.position[1], -20.15 * std::cos(lat * kDegToRad), 1e-12);
    EXPECT_NEAR(first.position[2], 20.15 * std::sin(lat * kDegToRad), 1e-12);
    EXPECT_EQ(first.angles[0], 180.0 - lat);
    EXPECT_EQ(first.angles[2], 0.0);
    expectText(first, 'A');

    const PlaceLetter last = placeLetter(kAntarctica, 10);
    expectSurfacePoint(last.position, 4.5, lat);
    EXPECT_DOUBLE_EQ(last.angles[2], 4.5);
    expectText(last, 'a');
    // Near the pole 0.5 degree of longitude is short: the letters crowd together.
    const PlaceLetter second = placeLetter(kAntarctica, 2);
    const double step[3] = {second.position[0] - first.position[0],
                            second.position[1] - first.position[1],
                            second.position[2] - first.position[2]};
    EXPECT_LT(length(step), 0.5 * 20.15 * kDegToRad * 0.25);
}

// Every letter sits 0.15 above the sphere on its row's parallel and carries its own character.
TEST(PlaceLetters, AllLettersFloatOnTheirParallels) {
    for (int row = 1; row <= places::kPlaceCount; ++row) {
        const double lat = places::PLACELL[row].latitude;
        for (int slot = 1; slot <= places::kPlaceNameLength; ++slot) {
            const PlaceLetter letter = placeLetter(row, slot);
            ASSERT_NEAR(length(letter.position), 20.15, 1e-9) << row << "," << slot;
            ASSERT_NEAR(letter.position[2], 20.15 * std::sin(lat * kDegToRad), 1e-12);
            ASSERT_EQ(letter.text[0], places::PLACENAM[row].text[slot - 1]);
            ASSERT_EQ(letter.text[1], '\0');
        }
    }
}

// With the letter's angles the stroke routine lays the baseline east along the parallel and the
// glyphs' upright towards the north pole, so names read west to east, tops northwards.
TEST(PlaceLetters, BaselinePointsEastAndUprightPointsNorth) {
    const int rows[] = {1, 7, 64, 77, 192, 220};
    for (int row : rows) {
        for (int slot : {1, 6, 30}) {
            SCOPED_TRACE(row * 100 + slot);
            const PlaceLetter letter = placeLetter(row, slot);
            const double lon = letter.angles[2] * kDegToRad;
            const double lat = places::PLACELL[row].latitude * kDegToRad;
            const view::StrokeAxes axes = view::strokeAxes(letter.angles, letter.size);
            const double east[3] = {std::cos(lon), std::sin(lon), 0.0};
            const double north[3] = {-std::sin(lat) * std::sin(lon),
                                     std::sin(lat) * std::cos(lon), std::cos(lat)};
            EXPECT_NEAR(axes.u.x, 0.1 * east[0], 1e-12);
            EXPECT_NEAR(axes.u.y, 0.1 * east[1], 1e-12);
            EXPECT_NEAR(axes.u.z, 0.1 * east[2], 1e-12);
            EXPECT_NEAR(axes.v.x, 0.15 * north[0], 1e-12);
            EXPECT_NEAR(axes.v.y, 0.15 * north[1], 1e-12);
            EXPECT_NEAR(axes.v.z, 0.15 * north[2], 1e-12);
        }
    }
}

TEST(PlaceStep, NamesOffNeverCompilesTheList) {
    model::state = model::State{};
    model::state.placesShown = 0;
    places::placeStep();  // touches no GL at all, so it is safe without a context
    EXPECT_EQ(model::state.placesListBuilt, 0);
}

}  // namespace
