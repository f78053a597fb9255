#include "stroke/stroke.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "stroke/strokefont.hpp"

namespace {

using stroke::StrokePoint;
using stroke::StrokeSegment;

struct Pen {
    int pen, x, y;
    bool operator==(const Pen& o) const { return pen == o.pen && x == o.x && y == o.y; }
};

std::vector<Pen> glyphOf(char c) {
    std::vector<Pen> points;
    const int g = stroke::strokeGlyphOf(c);
    if (g == 0) return points;
    for (int j = 1; j <= stroke::strokeEntry(g); ++j)
        points.push_back({stroke::strokeEntry(g + 3 * j - 2), stroke::strokeEntry(g + 3 * j - 1),
                          stroke::strokeEntry(g + 3 * j)});
    return points;
}

std::vector<StrokeSegment> segmentsOf(const char* text, const double position[3],
                                      const double angles[3], double size, float width) {
    std::vector<StrokeSegment> out;
    const int count = stroke::strokeTextSegments(
        text, position, angles, size, width,
        [](const StrokeSegment& s, void* list) {
            static_cast<std::vector<StrokeSegment>*>(list)->push_back(s);
        },
        &out);
    EXPECT_EQ(count, static_cast<int>(out.size()));
    return out;
}

void expectNear(const StrokePoint& a, const StrokePoint& b, double tolerance = 1e-12) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

const double kOrigin[3] = {0, 0, 0};
const double kUpright[3] = {0, 0, 0};

TEST(StrokeFont, DocumentedGlyphRowsAreExact) {
    EXPECT_EQ(glyphOf('-'), (std::vector<Pen>{{1, -10, 0}, {2, 10, 0}}));
    EXPECT_EQ(glyphOf('N'), (std::vector<Pen>{{1, -10, -10}, {2, -10, 10}, {2, 10, -10},
                                              {2, 10, 10}}));
    EXPECT_EQ(glyphOf('1'), (std::vector<Pen>{{1, -5, 2}, {2, 0, 10}, {2, 0, -10},
                                              {1, -5, -10}, {2, 5, -10}}));
    EXPECT_EQ(glyphOf('7'), (std::vector<Pen>{{1, -10, 10}, {2, 10, 10}, {2, -3, -10}}));

    // The zero: a closed octagon through the four axis points, then the slash.
    const std::vector<Pen> zero = glyphOf('0');
    ASSERT_EQ(zero.size(), 15u);
    EXPECT_EQ(zero[0], (Pen{1, 0, -10}));
    EXPECT_EQ(zero[12], (Pen{2, 0, -10}));
    EXPECT_EQ(zero[3], (Pen{2, -10, 0}));
    EXPECT_EQ(zero[6], (Pen{2, 0, 10}));
    EXPECT_EQ(zero[9], (Pen{2, 10, 0}));
    EXPECT_EQ(zero[13], (Pen{1, -10, -10}));
    EXPECT_EQ(zero[14], (Pen{2, 10, 10}));
}

TEST(StrokeGeometry, AxesFollowTheRotationOrderXThenYThenZ) {
    const stroke::StrokeAxes upright = stroke::strokeAxes(kUpright, 2.0);
    expectNear(upright.u, {2, 0, 0});
    expectNear(upright.v, {0, 0, -3});

    const double quarterZ[3] = {0, 0, 90};
    expectNear(stroke::strokeAxes(quarterZ, 1.0).u, {0, 1, 0});

    // About x first, then y: the text's z axis goes to -y, so v to +y. The other order would
    // take z to +x.
    const double xThenY[3] = {90, 90, 0};
    const stroke::StrokeAxes turned = stroke::strokeAxes(xThenY, 1.0);
    expectNear(turned.v, {0, 1.5, 0});
    expectNear(turned.u, {0, 0, -1});
}

TEST(StrokeGeometry, GlyphPointsSitInTheirCell) {
    const double position[3] = {1, 2, 3};
    // Cell 1 starts one width along u and half of v from the position: u = (2,0,0), v = (0,0,-3).
    expectNear(stroke::strokeCellOrigin(position, stroke::strokeAxes(kUpright, 2.0), 1, 1.0f),
               {3, 2, 1.5});
    const std::vector<StrokeSegment> minus = segmentsOf("-", position, kUpright, 2.0, 1.0f);
    ASSERT_EQ(minus.size(), 1u);
    expectNear(minus[0].from, {2, 2, 1.5});
    expectNear(minus[0].to, {4, 2, 1.5});

    // The seven's foot (-3, -10): 0.15 u back and half a v back from the cell origin.
    const std::vector<StrokeSegment> seven = segmentsOf("7", position, kUpright, 2.0, 1.0f);
    ASSERT_EQ(seven.size(), 2u);
    expectNear(seven[1].to, {3 - 0.3, 2, 3});
}

TEST(StrokeGeometry, OnlyPenDrawsMakeSegmentsAndBlankCellsStillAdvance) {
    EXPECT_EQ(segmentsOf("N0-", kOrigin, kUpright, 1.0, 1.0f).size(), 3u + 13u + 1u);

    // A blank and a degree sign take their cells: the second minus is three cells on.
    const std::vector<StrokeSegment> spaced = segmentsOf("- \xB0-", kOrigin, kUpright, 0.5, 1.0f);
    ASSERT_EQ(spaced.size(), 2u);
    expectNear(spaced[1].from, {spaced[0].from.x + 3 * 1.5 * 0.5, 0, spaced[0].from.z});
}

TEST(StrokeGeometry, TextEndsAtNulOrAfterFortyCells) {
    EXPECT_TRUE(segmentsOf("", kOrigin, kUpright, 1.0, 1.0f).empty());
    EXPECT_EQ(segmentsOf("-\0-", kOrigin, kUpright, 1.0, 1.0f).size(), 1u);

    char text[48];
    std::memset(text, '-', sizeof text);  // no NUL anywhere: only 40 cells may be read
    const std::vector<StrokeSegment> full = segmentsOf(text, kOrigin, kUpright, 1.0, 1.0f);
    ASSERT_EQ(full.size(), 40u);
    EXPECT_NEAR(full[39].to.x, 1.5 * 39 + 1 + 0.5, 1e-12);
}

TEST(StrokeGeometry, WideBlackCopyMovedByATenthCoversTheWhiteOne) {
    // Longitude number: runs down the polar axis, the black copy 0.1 lower.
    const double longitude[3] = {180, 90, 180};
    const double white[3] = {0.3595, 20.5969, 2.5};
    const double black[3] = {white[0], white[1], 2.4};
    const auto a = segmentsOf(" 180", white, longitude, 0.5, 1.0f);
    const auto b = segmentsOf(" 180", black, longitude, 0.5, 3.0f);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_FALSE(a.empty());
    for (size_t i = 0; i < a.size(); ++i) {
        expectNear(a[i].from, b[i].from);
        expectNear(a[i].to, b[i].to);
    }

    // Latitude number: written along +x, the black copy 0.1 further along.
    const double latitude[3] = {-40 + 180, 0, 0};
    const double whiteAt[3] = {-2.5, -15.0, 13.0};
    const double blackAt[3] = {-2.4, -15.0, 13.0};
    const auto c = segmentsOf("  40", whiteAt, latitude, 0.5, 1.0f);
    const auto d = segmentsOf("  40", blackAt, latitude, 0.5, 3.0f);
    ASSERT_EQ(c.size(), d.size());
    for (size_t i = 0; i < c.size(); ++i) expectNear(c[i].to, d[i].to);
}

}  // namespace
