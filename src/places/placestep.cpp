#include "places/placestep.hpp"

namespace places {

void PlaceStep() {}

}  // namespace places
