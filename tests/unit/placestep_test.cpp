#include "places/placestep.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "places/gazetteer.hpp"
#include "model/state.hpp"
#include "stroke/stroke.hpp"

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
    for (int k = 2; k < stroke::kStrokeTextLength; ++k) EXPECT_EQ(letter.text[k], ' ') << k;
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
        const double lat = places::placePositions[row].latitude;
        for (int slot = 1; slot <= places::kPlaceNameLength; ++slot) {
            const PlaceLetter letter = placeLetter(row, slot);
            ASSERT_NEAR(length(letter.position), 20.15, 1e-9) << row << "," << slot;
            ASSERT_NEAR(letter.position[2], 20.15 * std::sin(lat * kDegToRad), 1e-12);
            ASSERT_EQ(letter.text[0], places::placeNames[row].text[slot - 1]);
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
            const double lat = places::placePositions[row].latitude * kDegToRad;
            const stroke::StrokeAxes axes = stroke::strokeAxes(letter.angles, letter.size);
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

// The eye of a frame's model-view matrix: shifted sideways for a stereo eye, backed off by the
// eye distance, then the sphere turned by the view latitude and longitude.
void frameEye(double shiftX, double eyeDistance, double latDeg, double lonDeg, double eye[3]) {
    const double a = latDeg * kDegToRad, b = lonDeg * kDegToRad;
    // Column-major Rx(a)·Rz(b) with the translation (shiftX, 0, -eyeDistance - 20).
    const double m[16] = {std::cos(b), std::cos(a) * std::sin(b), std::sin(a) * std::sin(b), 0,
                          -std::sin(b), std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), 0,
                          0, -std::sin(a), std::cos(a), 0,
                          shiftX, 0, -eyeDistance - 20, 1};
    places::eyeInModel(m, eye);
}

// Whether the line of sight from the eye to p passes through the ball of radius r.
bool sightBlocked(const double eye[3], const stroke::StrokePoint& p, double r) {
    const double d[3] = {p.x - eye[0], p.y - eye[1], p.z - eye[2]};
    const double t = -(eye[0] * d[0] + eye[1] * d[1] + eye[2] * d[2]) /
                     (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (t <= 0 || t >= 1) return false;
    const double c[3] = {eye[0] + t * d[0], eye[1] + t * d[1], eye[2] + t * d[2]};
    return length(c) < r;
}

TEST(PlaceStep, EyeInModelUndoesTheFrameTurnsAndShifts) {
    double eye[3];
    frameEye(0, 100, -90, 0, eye);  // the first frame: the equator at longitude 0 faces the eye
    EXPECT_NEAR(eye[0], 0, 1e-9);
    EXPECT_NEAR(eye[1], -120, 1e-9);
    EXPECT_NEAR(eye[2], 0, 1e-9);
    frameEye(10, 100, -90, -90, eye);  // 90 E faces the eye; the scene moved 10 to the right
    EXPECT_NEAR(eye[0], 120, 1e-9);
    EXPECT_NEAR(eye[1], -10, 1e-9);  // so the eye sits 10 to its left, on the south-west side
    EXPECT_NEAR(eye[2], 0, 1e-9);
}

// Every stroke end of a name the test calls hidden lies behind the sphere, from far and near
// eyes, stereo eyes and eyes over the poles; and the test does hide names from every eye.
TEST(PlaceStep, HiddenNamesAreBehindTheSphereWithRoomToSpare) {
    struct Eye { double shiftX, distance, lat, lon; };
    const Eye eyes[] = {{0, 4352.9, -90, 0},   {0, 4352.9, -60, -380}, {435, 4352.9, -120, -200},
                        {0, 1.28, -90, 0},     {0, 1.28, -10, -250},   {-0.13, 1.28, -150, -30},
                        {0, 20, -180, -123.5}, {0, 20, 0, -7}};
    for (const Eye& e : eyes) {
        double eye[3];
        frameEye(e.shiftX, e.distance, e.lat, e.lon, eye);
        int hidden = 0;
        for (int row = 1; row <= places::kPlaceCount; ++row) {
            const places::PlaceCap cap = places::placeCap(&row, 1, 1.0f);
            if (!places::capHidden(cap, eye)) continue;
            ++hidden;
            for (int slot = 1; slot <= places::kPlaceNameLength; ++slot) {
                const PlaceLetter l = placeLetter(row, slot);
                std::pair<const double*, int> where{eye, row};
                stroke::strokeTextSegments(l.text, l.position, l.angles, l.size, 1.0f,
                    [](const stroke::StrokeSegment& s, void* context) {
                        auto* w = static_cast<std::pair<const double*, int>*>(context);
                        EXPECT_TRUE(sightBlocked(w->first, s.from, 19.9)) << "row " << w->second;
                        EXPECT_TRUE(sightBlocked(w->first, s.to, 19.9)) << "row " << w->second;
                    }, &where);
            }
        }
        EXPECT_GT(hidden, 20) << "eye " << e.distance << " " << e.lat << " " << e.lon;
    }
}

}  // namespace
