// The full-view screen texts: title and status lines, the help screen, the eye labels and the
// centre latitude/longitude.
#pragma once

namespace view {

// Draws every full-view text of the frame (after OverlaySetup).
void DrawFullViewTexts();

}  // namespace view
