#include "places/placestep.hpp"

#include <GL/gl.h>

#include <cassert>
#include <cmath>

#include "places/gazetteer.hpp"
#include "screen/text.hpp"
#include "model/state.hpp"

namespace places {

PlaceLists placeLists;

PlaceLetter placeLetter(int row, int slot) {
    assert(slot >= 1 && slot <= kPlaceNameLength);
    const double degToRad = std::atan(1.0 / 1.0) / 45.0;
    const double latitude = placePositions[row].latitude;
    const double longitude = placePositions[row].longitude + (slot - 1) * 0.1 * 5.0;
    const double phi = latitude * degToRad;
    const double lambda = longitude * degToRad;

    PlaceLetter letter{};
    letter.position[0] = kLetterRadius * std::cos(phi) * std::sin(lambda);
    letter.position[1] = -kLetterRadius * std::cos(phi) * std::cos(lambda);
    letter.position[2] = kLetterRadius * std::sin(phi);
    letter.angles[0] = 180.0 - latitude;
    letter.angles[1] = 0.0;
    letter.angles[2] = longitude;
    letter.size = kLetterSize;
    letter.colour = kLetterColour;
    letter.text[0] = placeNames[row].text[slot - 1];
    letter.text[1] = '\0';
    for (int c = 2; c < stroke::kStrokeTextLength; ++c) letter.text[c] = ' ';
    return letter;
}

namespace {

constexpr double kOccluderRadius = 19.9;  // GLU's 5-degree facets of radius 20 hold this ball
constexpr double kSpareAngle = 0.0174533;  // one degree, for the pixels at the sphere's outline

// Collects the directions and the farthest distance of stroke ends.
struct CapSums {
    double sum[3] = {0, 0, 0};
    const double* centre = nullptr;  // second pass: the angle from it
    double radius = 0;
    double farthest = 0;
};

void addStrokeEnd(CapSums& c, const stroke::StrokePoint& p) {
    const double length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    if (length > c.farthest) c.farthest = length;
    if (!c.centre) {
        c.sum[0] += p.x / length;
        c.sum[1] += p.y / length;
        c.sum[2] += p.z / length;
        return;
    }
    double cosine = (p.x * c.centre[0] + p.y * c.centre[1] + p.z * c.centre[2]) / length;
    cosine = std::fmin(1.0, std::fmax(-1.0, cosine));
    c.radius = std::fmax(c.radius, std::acos(cosine));
}

void sumStrokes(CapSums& c, const int* rows, int count, float lineWidth) {
    for (int k = 0; k < count; ++k) {
        for (int slot = 1; slot <= kPlaceNameLength; ++slot) {
            const PlaceLetter letter = placeLetter(rows[k], slot);
            stroke::strokeTextSegments(letter.text, letter.position, letter.angles, letter.size,
                                     lineWidth,
                                     [](const stroke::StrokeSegment& s, void* sums) {
                                         addStrokeEnd(*static_cast<CapSums*>(sums), s.from);
                                         addStrokeEnd(*static_cast<CapSums*>(sums), s.to);
                                     },
                                     &c);
        }
    }
}

int groupOf(int row) {
    const int columns = 360 / kGroupDegrees, bands = 180 / kGroupDegrees;
    int column = static_cast<int>(std::floor((placePositions[row].longitude + 180.0) / kGroupDegrees));
    int band = static_cast<int>(std::floor((placePositions[row].latitude + 90.0) / kGroupDegrees));
    column = column < 0 ? 0 : (column >= columns ? columns - 1 : column);
    band = band < 0 ? 0 : (band >= bands ? bands - 1 : band);
    return band * columns + column;
}

// Compiles every group of names into its display list. Nothing is drawn while compiling.
void compileNames() {
    PlaceLists& p = placeLists;
    p.lineWidth = model::state.strokeLineWidth;
    p.first = glGenLists(kMaxGroups);
    p.groups = 0;
    int rows[kPlaceCount];
    for (int group = 0; group < kMaxGroups; ++group) {
        int count = 0;
        for (int row = 1; row <= kPlaceCount; ++row) {
            if (groupOf(row) == group) rows[count++] = row;
        }
        if (count == 0) continue;
        p.caps[p.groups] = placeCap(rows, count, p.lineWidth);
        glNewList(p.first + p.groups, GL_COMPILE);
        glBegin(GL_LINES);
        for (int k = 0; k < count; ++k) {
            for (int slot = 1; slot <= kPlaceNameLength; ++slot) {
                const PlaceLetter letter = placeLetter(rows[k], slot);
                stroke::strokeTextVertices(letter.text, letter.position, letter.angles, letter.size,
                                         p.lineWidth);
            }
        }
        glEnd();
        glEndList();
        ++p.groups;
    }
}

}  // namespace

PlaceCap placeCap(const int* rows, int count, float lineWidth) {
    CapSums sums;
    sumStrokes(sums, rows, count, lineWidth);
    PlaceCap cap{{0, 0, 0}, 4.0, sums.farthest};  // no strokes: a cap no eye can lose
    const double length = std::sqrt(sums.sum[0] * sums.sum[0] + sums.sum[1] * sums.sum[1] +
                                    sums.sum[2] * sums.sum[2]);
    if (length < 1e-9) return cap;
    for (int i = 0; i < 3; ++i) cap.centre[i] = sums.sum[i] / length;
    CapSums spread;
    spread.centre = cap.centre;
    sumStrokes(spread, rows, count, lineWidth);
    cap.radius = spread.radius;
    return cap;
}

void eyeInModel(const double m[16], double eye[3]) {
    // The eye is the origin of eye space: minus the shift, turned back by the transposed turn.
    for (int i = 0; i < 3; ++i) {
        eye[i] = -(m[4 * i] * m[12] + m[4 * i + 1] * m[13] + m[4 * i + 2] * m[14]);
    }
}

bool capHidden(const PlaceCap& cap, const double eye[3]) {
    const double distance = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    if (distance <= kOccluderRadius || cap.farthest <= kOccluderRadius) return false;
    // A point at radius r is seen over the ball's outline up to acos(R/d) + acos(R/r) from the
    // eye's direction; beyond that the line of sight passes through the ball.
    const double reach = std::acos(kOccluderRadius / distance) +
                         std::acos(kOccluderRadius / cap.farthest) + kSpareAngle;
    double cosine = (eye[0] * cap.centre[0] + eye[1] * cap.centre[1] + eye[2] * cap.centre[2]) /
                    distance;
    cosine = std::fmin(1.0, std::fmax(-1.0, cosine));
    return std::acos(cosine) - cap.radius > reach;
}

void placeStep() {
    model::State& s = model::state;
    if (s.placesShown == 0) return;
    PlaceLists& p = placeLists;
    if (s.placesListBuilt < 1) {
        compileNames();
        s.placesListBuilt = 1;
    }
    glLineWidth(p.lineWidth);
    glShadeModel(GL_FLAT);
    screen::setPaletteColour(kLetterColour);

    const bool sphereDrawn = s.imageShown == 1 && s.currentQuadric != nullptr;
    double eye[3] = {0, 0, 0};
    if (sphereDrawn) {
        double m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        eyeInModel(m, eye);
    }
    int count = 0;
    for (int group = 0; group < p.groups; ++group) {
        if (!sphereDrawn || !capHidden(p.caps[group], eye)) p.calls[count++] = p.first + group;
    }
    glCallLists(count, GL_UNSIGNED_INT, p.calls);
}

}  // namespace places
