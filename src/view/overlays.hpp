// The full-view screen texts: title and status lines, the help screen, the eye labels and the
// centre latitude/longitude.
#pragma once

#include "platform/fields.hpp"
#include "model/state.hpp"

namespace view {

// Draws every full-view text of the frame (after OverlaySetup).
void DrawFullViewTexts();

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

constexpr int kOverlayBufferLength = 80;  // each text is formatted into 80 blank-padded characters

// One text ready for PrntOrth: the first `length` characters of `buffer` at (row, col).
struct OverlayText {
    fields::TextLine buffer;
    int length = 0;
    int row = 0;
    int col = 0;
    int colour = 0;
};

// Formats text `id` for the state into `out`; false (and nothing formatted) when the state does
// not show it in this frame.
bool FormatFullViewText(int id, const model::State& s, OverlayText& out);

// The wording chosen for this program's own lines (the build line is derived from the compiler).
const char* CreditLine();
const char* BuildPlatformLine();

}  // namespace view
