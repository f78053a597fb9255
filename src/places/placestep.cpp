#include "places/placestep.hpp"

#include <GL/gl.h>

#include <cassert>
#include <cmath>

#include "places/gazetteer.hpp"
#include "model/state.hpp"

namespace places {

PlaceLetter placeLetter(int row, int slot) {
    assert(slot >= 1 && slot <= kPlaceNameLength);
    const double degToRad = std::atan(1.0 / 1.0) / 45.0;
    const double latitude = PLACELL[row].latitude;
    const double longitude = PLACELL[row].longitude + (slot - 1) * 0.1 * 5.0;
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
    letter.text[0] = PLACENAM[row].text[slot - 1];
    letter.text[1] = '\0';
    for (int c = 2; c < view::kStrokeTextLength; ++c) letter.text[c] = ' ';
    return letter;
}

void placeStep() {
    if (model::state.placesShown == 0) return;
    if (model::state.placesListBuilt < 1) {
        // Compile only: nothing is drawn while the 8070 letters are recorded.
        glNewList(kPlaceListName, GL_COMPILE);
        for (int row = 1; row <= kPlaceCount; ++row) {
            for (int slot = 1; slot <= kPlaceNameLength; ++slot) {
                const PlaceLetter letter = placeLetter(row, slot);
                view::drawStrokeText(letter.text, letter.position, letter.angles, letter.size,
                                     letter.colour);
            }
        }
        glFlush();
        glEndList();
        model::state.placesListBuilt = 1;
    }
    glCallList(kPlaceListName);
}

}  // namespace places
