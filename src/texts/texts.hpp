// The screen texts: the full view's title and status lines, help screen, eye labels and centre
// latitude/longitude, and the five texts of the small window. Formatting apart from GL, drawing
// through printAtCursor.
#pragma once

#include "screen/text.hpp"
#include "model/state.hpp"

namespace texts {

// Draws every full-view text of the frame (after setUpOverlay).
void drawFullViewTexts();
// Draws the texts of the 320 x 240 window (after setUpOverlay).
void drawSmallWindowTexts();

constexpr char kDegreeSign = static_cast<char>(176);  // drawn by the 8 x 13 bitmap font

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

// Formats the five texts of the small window for the given centre position.
constexpr int kSmallWindowTextCount = 5;
void smallWindowTexts(double latitude, double longitude,
                      screen::ScreenText (&texts)[kSmallWindowTextCount]);

}  // namespace texts
