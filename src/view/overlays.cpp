#include "view/overlays.hpp"

namespace view {

void DrawFullViewTexts() {}

}  // namespace view
