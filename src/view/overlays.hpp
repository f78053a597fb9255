// The full-view screen texts: title and status lines, the help screen, the eye labels and the
// centre latitude/longitude.
#pragma once

#include "screen/text.hpp"
#include "model/state.hpp"

namespace view {

// Draws every full-view text of the frame (after OverlaySetup).
void drawFullViewTexts();

// Colour of the centre Lat/Lon lines and of the cross-hair's inner ends.
constexpr int overlayColour = 15;

// Every text of the full view, in drawing order. Which of them a frame draws depends on the state.
enum FullViewTextId {
    kTitleText = 1,
    kCreditText,
    kResolutionText,
    kHelpHintText,
    kCautionText,
    kSelectedImageText,
    kRadiusText,
    kElevationText,
    kFieldOfViewText,
    kWarrantyText,
    kPurposeText,
    kGlErrorText,
    kImageListText,                        // image 1; images 2..5 follow
    kHelpFirstText = kImageListText + 5,   // " E -toggles eye: ..."; the fixed help lines follow
    kHelpImageCountText = kHelpFirstText + 12,
    kBuildPlatformText,
    kReferenceText,
    kSecondReferenceText,
    kBenchmarkText,
    kIterationText,
    kLeftEyeText,
    kRightEyeText,
    kCentreLatitudeText,
    kCentreLongitudeText,
    kFullViewTextCount = kCentreLongitudeText,
};

// Formats text `id` for the state into `out`; false (and nothing formatted) when the state does
// not show it in this frame.
bool formatFullViewText(int id, const model::State& s, screen::ScreenText& out);

// The wording chosen for this program's own lines (the build line is derived from the compiler).
const char* buildPlatformLine();

}  // namespace view
