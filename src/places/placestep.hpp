// The place step: the 269 gazetteer names written on the sphere from one display list.
#pragma once

namespace places {

// Run once in every eye pass with the sphere's model-view matrix in force: while placesShown is
// 1, compiles the names into the display list the first time, then calls the list.
void PlaceStep();

}  // namespace places
