#include "frame/frame.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "globe/globe.hpp"
#include "model/state.hpp"

namespace {

const double kDegToRad = std::atan2(1.0, 1.0) / 45.0;

TEST(EyeDistance, SphereFillsTheFieldOfViewAtBothEndsOfTheZoom) {
    EXPECT_NEAR(frame::eyeDistanceFor(140.0, kDegToRad), 1.2836, 1e-3);
    EXPECT_NEAR(frame::eyeDistanceFor(model::kStartFieldOfView, kDegToRad), 4352.9, 0.1);
    EXPECT_DOUBLE_EQ(frame::eyeDistanceFor(150.0, kDegToRad), 1.0);  // the lower bound
}

TEST(EyeProjection, SingleViewAndStereoPairs) {
    const double d = 100.0;
    auto single = frame::eyeProjection(0, 0, 30.0, d, kDegToRad);
    EXPECT_DOUBLE_EQ(single.fieldOfView, 30.11);
    EXPECT_DOUBLE_EQ(single.shiftX, 0.0);
    EXPECT_DOUBLE_EQ(single.nearPlane, 99.3);
    EXPECT_DOUBLE_EQ(single.farPlane, 125.0);

    // Each picture of a pair: the half-angle's tangent doubles, no margin.
    auto pair = frame::eyeProjection(1, 1, 30.0, d, kDegToRad);
    EXPECT_NEAR(std::tan(pair.fieldOfView * kDegToRad / 2), 2 * std::tan(15 * kDegToRad), 1e-12);
    const double spread = 0.41 - 0.4 * d / 213.4;
    EXPECT_DOUBLE_EQ(pair.shiftX, spread - 0.825);                                     // L:R, left eye
    EXPECT_DOUBLE_EQ(frame::eyeProjection(1, -1, 30.0, d, kDegToRad).shiftX, -spread + 0.825);
    EXPECT_DOUBLE_EQ(frame::eyeProjection(-1, 1, 30.0, d, kDegToRad).shiftX, spread);  // R:L
    EXPECT_DOUBLE_EQ(frame::eyeProjection(-1, -1, 30.0, d, kDegToRad).shiftX, -spread);
    // In R:L the pictures cross over where the spread changes sign.
    EXPECT_LT(frame::eyeProjection(-1, 1, 30.0, 220.0, kDegToRad).shiftX, 0.0);
}

// Model-view of the two orientation rotations (latitude about x, then longitude about z).
void orientation(double latitude, double longitude, double m[16]) {
    const double a = latitude * kDegToRad, b = longitude * kDegToRad;
    const double rx[9] = {1, 0, 0, 0, std::cos(a), std::sin(a), 0, -std::sin(a), std::cos(a)};
    const double rz[9] = {std::cos(b), std::sin(b), 0, -std::sin(b), std::cos(b), 0, 0, 0, 1};
    std::memset(m, 0, 16 * sizeof(double));
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            double v = 0;
            for (int k = 0; k < 3; ++k) v += rx[r + 3 * k] * rz[k + 3 * c];
            m[r + 4 * c] = v;
        }
    }
    m[15] = 1;
}

TEST(CentreLatLon, FromTheModelViewMatrix) {
    double m[16], lat, lon;
    orientation(-90, -360, m);  // the first frame: equator facing, longitude 0
    frame::centreFromModelView(m, lat, lon);
    EXPECT_NEAR(lat, 0.0, 1e-9);
    EXPECT_NEAR(lon, 0.0, 1e-9);

    orientation(-44.5, -266.6, m);  // lat = viewLatitude + 90, lon = -viewLongitude
    frame::centreFromModelView(m, lat, lon);
    EXPECT_NEAR(lat, 45.5, 1e-9);
    EXPECT_NEAR(lon, -93.4, 1e-9);

    orientation(-90, -180, m);  // exactly 180 stays 180: the range is (-180, 180]
    frame::centreFromModelView(m, lat, lon);
    EXPECT_NEAR(std::fabs(lon), 180.0, 1e-9);
    EXPECT_GT(lon, -180.0);

    orientation(20, -360, m);  // turned over the north pole: the far side comes up
    frame::centreFromModelView(m, lat, lon);
    EXPECT_NEAR(lat, 70.0, 1e-9);
    EXPECT_NEAR(std::fabs(lon), 180.0, 1e-9);

    orientation(-200, -360, m);  // and over the south pole
    frame::centreFromModelView(m, lat, lon);
    EXPECT_NEAR(lat, -70.0, 1e-9);
    EXPECT_NEAR(std::fabs(lon), 180.0, 1e-9);
}

TEST(GridLabels, NumbersAndPlaces) {
    auto west = globe::longitudeLabel(0, false, kDegToRad);  // L = -180
    EXPECT_STREQ(west.text, " 180");
    EXPECT_EQ(west.text[5], ' ');
    auto last = globe::longitudeLabel(35, false, kDegToRad);  // L = 170
    EXPECT_STREQ(last.text, "-170");
    EXPECT_DOUBLE_EQ(last.angles[2], -170.0);
    EXPECT_NEAR(last.position[0], -20.6 * std::sin(171 * kDegToRad), 1e-12);
    EXPECT_DOUBLE_EQ(globe::longitudeLabel(35, true, kDegToRad).position[2], 2.4);

    auto north80 = globe::latitudeLabel(0, false, kDegToRad);  // P = -80 is written as 80
    EXPECT_STREQ(north80.text, "  80");
    EXPECT_DOUBLE_EQ(north80.angles[0], 100.0);
    EXPECT_DOUBLE_EQ(globe::latitudeLabel(0, true, kDegToRad).position[0], -2.4);
    EXPECT_STREQ(globe::latitudeLabel(16, false, kDegToRad).text, " -80");
}

TEST(FirstFrame, ValuesOfTheFirstFrame) {
    model::state = model::State{};
    frame::firstFrameValues();
    const model::State& s = model::state;
    EXPECT_EQ(s.pendingMenuValue, 13);
    EXPECT_EQ(s.viewMode, 13);
    EXPECT_EQ(s.pointerX, 510);
    EXPECT_EQ(s.pointerY, 382);
    EXPECT_EQ(s.gridShown, 1);
    EXPECT_EQ(s.gridLabelsShown, 1);
    EXPECT_EQ(s.imageShown, 1);
    EXPECT_EQ(s.fullView, 1);
    EXPECT_EQ(s.fieldOfView, static_cast<double>(0.5241f));
    EXPECT_GT(s.fieldOfView, 0.5241);
    EXPECT_DOUBLE_EQ(s.degToRad, kDegToRad);
    model::state = model::State{};
}

}  // namespace
