// The latitude/longitude file Orvex.Out: export from the view centre, import back into the
// orientation, and the texts of the small window.
#pragma once

namespace view {

void ExportLatLon();          // writes Orvex.Out from centreLatitude and centreLongitude
void ImportLatLon();          // reads Orvex.Out back into the orientation, when it can be opened
void DrawSmallWindowTexts();  // the texts of the 320 x 240 window

}  // namespace view
