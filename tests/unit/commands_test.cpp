#include "input/callbacks.hpp"
#include "input/menu.hpp"
#include "input/steps.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <tuple>

#include "../support/menu_keys.hpp"
#include "model/orientation.hpp"
#include "model/state.hpp"

namespace {

using model::state;

// The state as the first frame leaves it, with three images configured.
void resetState() {
    state = model::State{};
    input::menu = input::MenuTracking{};
    input::callbackState = input::CallbackState{};
    state.imageCount = 3;
    state.selectedImage = 1;
    state.fieldOfView = model::kStartFieldOfView;
    state.viewMode = model::kPointerMode;
    state.gridShown = state.gridLabelsShown = 1;
    state.imageShown = 1;
    state.fullView = 1;
}

// Runs `step` and returns how many bell lines it wrote.
template <typename Step>
int bellsDuring(Step step) {
    testing::internal::CaptureStdout();
    step();
    const std::string out = testing::internal::GetCapturedStdout();
    int bells = 0;
    for (size_t at = out.find("\a\n"); at != std::string::npos; at = out.find("\a\n", at + 2)) {
        ++bells;
    }
    EXPECT_EQ(out.size(), static_cast<size_t>(bells) * 2) << "only bell lines expected";
    return bells;
}

// The settings the command step may change, for before/after comparisons.
using Settings = std::tuple<int, int, int, int, int, int, int, int, int, double>;
Settings settings() {
    return {state.selectedImage, state.imageShown,  state.eyeMode,    state.gridShown,
            state.gridLabelsShown, state.helpShown, state.placesShown, state.autoRotate,
            state.viewMode,      state.fieldOfView};
}

void frameWithKey(unsigned char key) {
    input::recordKey(key);
    input::applyCommand();
}

// What each command key changes, starting from the first-frame state.
Settings expectedAfterKey(char key) {
    resetState();
    switch (key) {
        case 'E': state.eyeMode = 1; break;
        case 'G': state.gridShown = state.gridLabelsShown = 0; break;
        case 'H': state.helpShown = 1; break;
        case 'I': state.imageShown = 0; break;
        case 'L': state.viewMode = model::kLatLonExchange; break;
        case 'P': state.placesShown = 1; break;
        case 'R': state.autoRotate = 1; state.viewMode = model::kAutoRotating; break;
        case '2': state.selectedImage = 2; break;
    }
    const Settings expected = settings();
    resetState();
    return expected;
}

// A special key in one frame; returns the bell lines it wrote.
int specialKeyFrame(int code) {
    return bellsDuring([&] {
        input::recordSpecialKey(code);
        input::specialKeyStep();
    });
}

TEST(ApplyCommand, EveryCommandKeyInBothCasesAndClearsTheRequest) {
    for (char key : {'E', 'G', 'H', 'I', 'L', 'P', 'R', '2'}) {
        for (char typed : {key, static_cast<char>(std::tolower(key))}) {
            const Settings expected = expectedAfterKey(key);
            EXPECT_EQ(bellsDuring([&] { frameWithKey(typed); }), 0) << typed;
            EXPECT_EQ(settings(), expected) << "key " << typed;
            EXPECT_EQ(state.pendingKey, 0);
            EXPECT_EQ(state.pendingMenuValue, 0);
        }
    }
}

TEST(ApplyCommand, KeysWithoutACommandRingOnceAndChangeNothing) {
    for (char key : {'6', '7', '8', '9', '0', '~', 'x', ' ', 'Z'}) {
        resetState();
        const Settings before = settings();
        EXPECT_EQ(bellsDuring([&] { frameWithKey(key); }), 1) << key;
        EXPECT_EQ(settings(), before) << key;
        EXPECT_EQ(state.pendingKey, 0);
    }
}

TEST(ApplyCommand, ImageNumberAboveTheCountIsClampedWithOneBell) {
    resetState();
    state.imageShown = 0;
    EXPECT_EQ(bellsDuring([] { frameWithKey('5'); }), 1);
    EXPECT_EQ(state.selectedImage, 3);
    EXPECT_EQ(state.imageShown, 1);

    // With no image configured the selection is 0, "no image", which nothing indexes by.
    resetState();
    state.imageCount = 0;
    EXPECT_EQ(bellsDuring([] { frameWithKey('4'); }), 1);
    EXPECT_EQ(state.selectedImage, 0);
}

TEST(ApplyCommand, ToggleCyclesAndPendingKeysKeepOnlyTheLast) {
    resetState();
    const int cycle[] = {1, -1, 0};
    for (int expected : cycle) {
        frameWithKey('E');
        EXPECT_EQ(state.eyeMode, expected);
    }

    resetState();
    input::recordKey('g');
    input::recordKey('g');  // the same key twice before one frame toggles once
    input::applyCommand();
    EXPECT_EQ(state.gridShown, 0);

    resetState();
    input::recordKey('g');
    input::recordKey('h');  // two keys before one frame: only the later one acts
    input::applyCommand();
    EXPECT_EQ(state.gridShown, 1);
    EXPECT_EQ(state.helpShown, 1);

    resetState();
    frameWithKey('R');
    frameWithKey('r');
    EXPECT_EQ(state.autoRotate, 0);
    EXPECT_EQ(state.viewMode, 13);
}

TEST(ApplyCommand, EveryMenuValueActsLikeItsKey) {
    for (int position = 1; position <= input::kMenuEntryCount; ++position) {
        const input::MenuEntry& entry = input::kMenuEntries[position - 1];
        if (entry.value == 7) continue;  // quit, tested below
        const char key = testsupport::kMenuKeys[position - 1];
        resetState();
        state.imageShown = 0;  // so that every entry changes something
        const int keyBells = bellsDuring([&] { frameWithKey(key); });
        const Settings byKey = settings();

        resetState();
        state.imageShown = 0;
        input::recordMenuChoice(entry.value);
        EXPECT_EQ(state.pendingMenuValue, entry.value);
        EXPECT_EQ(bellsDuring([] { input::applyCommand(); }), keyBells) << entry.label;
        const Settings byMenu = settings();
        EXPECT_EQ(byMenu, byKey) << entry.label;
        EXPECT_EQ(state.pendingMenuValue, 0);
        EXPECT_EQ(state.pendingKey, 0);
        resetState();
        state.imageShown = 0;
        EXPECT_NE(byMenu, settings()) << entry.label << " changed nothing";
    }
}

TEST(ApplyCommand, MenuChoiceOverridesAKeyButADragLetsItThrough) {
    resetState();
    input::recordKey('g');
    input::recordMenuChoice(14);  // "H" from the menu
    input::applyCommand();
    EXPECT_EQ(state.helpShown, 1);
    EXPECT_EQ(state.gridShown, 1);

    resetState();
    state.autoRotate = 1;
    state.viewMode = model::kAutoRotating;
    input::recordKey('g');
    state.pendingMenuValue = 13;  // the pointer was dragged
    input::applyCommand();
    EXPECT_EQ(state.viewMode, 13);
    EXPECT_EQ(state.autoRotate, 0);
    EXPECT_EQ(state.gridShown, 0);

    // Values outside 1..25 are not recorded; 1..25 without a meaning do nothing in the step.
    resetState();
    for (int value : {0, -3, 26, 99}) {
        input::recordMenuChoice(value);
        EXPECT_EQ(state.pendingMenuValue, 0) << value;
    }
    const Settings before = settings();
    input::recordMenuChoice(12);
    EXPECT_EQ(bellsDuring([] { input::applyCommand(); }), 0);
    EXPECT_EQ(settings(), before);
    EXPECT_EQ(state.pendingMenuValue, 0);
}

TEST(ApplyCommandDeathTest, QuitFromKeyboardAndMenu) {
    resetState();
    EXPECT_EXIT(input::recordKey('Q'), testing::ExitedWithCode(0), "^End of run \\(keyboard\\)\\.\n$");
    EXPECT_EXIT(input::recordKey('q'), testing::ExitedWithCode(0), "^End of run \\(keyboard\\)\\.\n$");
    EXPECT_EXIT(input::recordMenuChoice(7), testing::ExitedWithCode(0), "^End of run \\(menu\\)\\.\n$");
}

TEST(SpecialKeys, ZoomBoundsAndWhichKeysRing) {
    resetState();
    input::recordSpecialKey(103);  // down arrow from the starting value
    input::specialKeyStep();
    EXPECT_EQ(state.fieldOfView, 0.5241);
    input::recordSpecialKey(103);
    input::specialKeyStep();
    EXPECT_EQ(state.fieldOfView, 0.5241);
    input::recordSpecialKey(101);
    input::specialKeyStep();
    EXPECT_EQ(state.fieldOfView, 1.0241);
    EXPECT_EQ(state.pendingArrowKey, 0);

    state.fieldOfView = 139.75;
    input::recordSpecialKey(101);
    input::specialKeyStep();
    EXPECT_EQ(state.fieldOfView, 140.0);
    input::recordSpecialKey(101);
    input::specialKeyStep();
    EXPECT_EQ(state.fieldOfView, 140.0);

    // F10..F12 are dropped silently; F1..F9, the side arrows and the page keys ring.
    const Settings before = settings();
    for (int code : {10, 11, 12, 99}) EXPECT_EQ(specialKeyFrame(code), 0) << code;
    for (int code : {1, 9, 100, 102, 104, 108, 110, 111}) EXPECT_EQ(specialKeyFrame(code), 1) << code;
    // Num Lock and the Shift, Ctrl, Alt and Super keys on their own are no request at all.
    for (int code : {109, 112, 113, 114, 115, 116, 117, 118, 119}) EXPECT_EQ(specialKeyFrame(code), 0) << code;
    EXPECT_EQ(settings(), before);
    EXPECT_EQ(state.pendingArrowKey, 0);
}

TEST(PointerMapping, HalfADegreePerPixel) {
    struct Case {
        int x, y;
        double latitude, longitude;
    } cases[] = {
        {510, 382, -90.0, -360.0},
        {0, 0, 101.0, -105.0},
        {511, 383, -90.5, -360.5},
        {-20, 900, -349.0, -95.0},  // a drag beyond the window is followed linearly
    };
    for (const Case& c : cases) {
        resetState();
        input::recordPointer(c.x, c.y);
        input::pointerMapping();
        EXPECT_EQ(state.viewLatitude, c.latitude);
        EXPECT_EQ(state.viewLongitude, c.longitude);
    }
}

// The warps after an import and in auto-rotation put the pointer where pointer mode gives the
// orientation back, so the sphere does not jump when pointer mode resumes.
TEST(PointerMapping, WarpTargetsGiveTheOrientationBackForEveryPixel) {
    for (int x = -20; x <= 1044; ++x) {
        ASSERT_EQ(model::pointerXOfLongitude(model::longitudeOfPointer(x)), x);
    }
    for (int y = -20; y <= 768; ++y) {
        ASSERT_EQ(model::pointerYOfLatitude(model::latitudeOfPointer(y)), y);
    }
}

TEST(Menu, LabelsValuesAndOrder) {
    const std::string b24(24, ' ');
    const struct {
        std::string label;
        int value;
    } expected[] = {
        {"1  select image #1", 21},
        {"2" + b24 + "#2", 22},
        {"3" + b24 + "#3", 23},
        {"4" + b24 + "#4", 24},
        {"5" + b24 + "#5", 25},
        {"E  cycle  -Persp/L:R/R:L", 19},
        {"G  toggle-Grid" + std::string(6, ' ') + "(on/off)", 15},
        {"H" + std::string(13, ' ') + "-Help on screen", 14},
        {"I" + std::string(14, ' ') + "-Image", 16},
        {"L" + std::string(13, ' ') + "-Lat/Lon I/O", 11},
        {"P" + std::string(13, ' ') + "-Places", 18},
        {"R" + std::string(13, ' ') + "-Rotate", 17},
        {"Q" + std::string(6, ' ') + "***Quit***", 7},
    };
    ASSERT_EQ(input::kMenuEntryCount, 13);
    for (int k = 0; k < input::kMenuEntryCount; ++k) {
        const input::MenuEntry& entry = input::kMenuEntries[k];
        const int length = model::trimmedLength(entry.label, static_cast<int>(std::strlen(entry.label)));
        EXPECT_EQ(std::string(entry.label, length), expected[k].label);
        EXPECT_EQ(entry.value, expected[k].value);
    }
}

// freeglut's menu box: at the pointer, moved back by its size where it would leave the screen.
TEST(Menu, BoxPlacementAndTheEntryUnderAPoint) {
    const struct { int x, y, boxX, boxY; } placements[] = {
        {510, 402, 510, 402},    // fits
        {1200, 402, 978, 402},   // past the right edge: to the left of the pointer
        {510, 900, 510, 571},    // past the bottom: above the pointer
        {510, 1000, 510, 671},
    };
    for (const auto& p : placements) {
        const input::MenuBox box = input::menuBoxAt(p.x, p.y, 222, 329, 25, 1280, 1024);
        EXPECT_EQ(box.x, p.boxX) << p.x;
        EXPECT_EQ(box.y, p.boxY) << p.y;
    }
    EXPECT_EQ(input::menuBoxAt(5, 100, 222, 329, 25, 1280, 300).y, 0) << "never above the top edge";

    const input::MenuBox box = input::menuBoxAt(100, 200, 222, 329, 25, 1280, 1024);
    const struct { int x, y, entry; } points[] = {
        {102, 202, 1},  {101, 210, 0},  {102, 201, 0},  {200, 226, 1},  {200, 227, 2},
        {319, 526, 13}, {320, 300, 0},  {200, 527, 0},  {200, 100, 0},  {200, 390, 8},
    };
    for (const auto& p : points) EXPECT_EQ(input::menuEntryAt(box, p.x, p.y), p.entry) << p.x << ", " << p.y;
}

// A choice freeglut read at the closing point shifted by the window's offset is replaced by the
// entry under the pointer (or cancelled off the entries); any other choice stands.
TEST(Menu, ChoiceShiftedByTheWindowOffsetIsCorrected) {
    const input::MenuBox box = input::menuBoxAt(510, 402, 222, 329, 25, 1280, 1024);
    const int entry8 = 402 + 2 + 7 * 25 + 12;  // the middle of "H" (14); 20 higher is "G" (15)
    const struct {
        int x, y, windowX, windowY, reported, expected;
    } cases[] = {
        {600, entry8, 0, 20, 15, 14},             // the entry above, read through the offset
        {600, entry8, 1, 44, 19, 14},             // under a frame: two entries above, "E"
        {600, 402 + 329 + 8, 0, 20, 7, input::kMenuCancel},  // below the menu: not Quit
        {600, entry8, 0, 20, 14, 14},             // read right
        {600, entry8, 0, 20, 16, 16},             // not explained by the offset: stands
        {600, entry8, 0, 0, 14, 14},              // window at the top: nothing to correct
    };
    for (const auto& c : cases) {
        input::recordMenuOpen(box);
        input::recordMenuClose(c.x, c.y, c.windowX, c.windowY);
        EXPECT_EQ(input::menuValueAtClose(c.reported), c.expected) << c.y << " offset " << c.windowY;
        EXPECT_EQ(input::menuValueAtClose(c.reported), c.reported) << "used once";
    }
    input::recordMenuClose(600, entry8, 0, 20);  // a close without an open is not recorded
    EXPECT_EQ(input::menuValueAtClose(15), 15);
}

}  // namespace
