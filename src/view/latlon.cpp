#include "view/latlon.hpp"

namespace view {

void ExportLatLon() {}
void ImportLatLon() {}
void DrawSmallWindowTexts() {}

}  // namespace view
