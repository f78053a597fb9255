// The place names are compiled into their display list once, only while names are on, and the
// list draws yellow letters.
#include <GL/gl.h>

#include "gl_fixture.hpp"
#include "places/placestep.hpp"

namespace {

class PlacesGl : public gltest::WindowTest {};

TEST_F(PlacesGl, ListIsCompiledOnceAndOnlyWithNamesOn) {
    model::state.strokeLineWidth = 1.0f;
    places::placeStep();  // names off: nothing compiled, nothing drawn
    EXPECT_EQ(model::state.placesListBuilt, 0);

    model::state.placesShown = 1;
    // Look at the sphere from outside, Europe and Africa facing the window.
    glMatrixMode(GL_PROJECTION);
    glOrtho(-22, 22, -22, 22, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glRotated(-90, 1, 0, 0);
    places::placeStep();
    EXPECT_EQ(model::state.placesListBuilt, 1);
    EXPECT_EQ(glIsList(places::placeLists.first), GL_TRUE);
    const auto first = gltest::readPixels();
    int yellow = 0;
    for (size_t k = 0; k + 2 < first.size(); k += 3) yellow += first[k] == 255 && first[k + 1] == 255 && first[k + 2] == 85;
    EXPECT_GT(yellow, 500);

    // A second call replays the same list: the same pixels.
    glClear(GL_COLOR_BUFFER_BIT);
    places::placeStep();
    EXPECT_EQ(gltest::readPixels(), first);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteLists(places::placeLists.first, places::kMaxGroups);
}

}  // namespace
