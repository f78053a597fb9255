#include "view/stroke.hpp"

namespace view {

void drawStrokeText(const char*, const double*, const double*, double, int) {}

}  // namespace view
