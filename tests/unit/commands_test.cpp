#include "input/commands.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <tuple>

#include "model/orientation.hpp"
#include "model/state.hpp"

namespace {

using model::state;

// The state as the first frame leaves it, with three images configured.
void resetState() {
    state = model::State{};
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
    input::CommandStep();
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

TEST(CommandStep, EveryCommandKeyInBothCasesAndClearsTheRequest) {
    for (char key : {'E', 'G', 'H', 'I', 'L', 'P', 'R', '2'}) {
        for (char typed : {key, static_cast<char>(std::tolower(key))}) {
            const Settings expected = expectedAfterKey(key);
            EXPECT_EQ(bellsDuring([&] { frameWithKey(typed); }), 0) << typed;
            EXPECT_EQ(settings(), expected) << "key " << typed;
            EXPECT_EQ(state.KeyChar, 0);
            EXPECT_EQ(state.MenuNew, 0);
        }
    }
}

TEST(CommandStep, KeysWithoutACommandRingOnceAndChangeNothing) {
    for (char key : {'6', '7', '8', '9', '0', '~', 'x', ' ', 'Z'}) {
        resetState();
        const Settings before = settings();
        EXPECT_EQ(bellsDuring([&] { frameWithKey(key); }), 1) << key;
        EXPECT_EQ(settings(), before) << key;
        EXPECT_EQ(state.KeyChar, 0);
    }
}

TEST(CommandStep, ImageNumberAboveTheCountIsClampedWithOneBell) {
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

TEST(CommandStep, ToggleCyclesAndPendingKeysKeepOnlyTheLast) {
    resetState();
    const int cycle[] = {1, -1, 0};
    for (int expected : cycle) {
        frameWithKey('E');
        EXPECT_EQ(state.eyeMode, expected);
    }

    resetState();
    input::recordKey('g');
    input::recordKey('g');  // the same key twice before one frame toggles once
    input::CommandStep();
    EXPECT_EQ(state.gridShown, 0);

    resetState();
    input::recordKey('g');
    input::recordKey('h');  // two keys before one frame: only the later one acts
    input::CommandStep();
    EXPECT_EQ(state.gridShown, 1);
    EXPECT_EQ(state.helpShown, 1);

    resetState();
    frameWithKey('R');
    frameWithKey('r');
    EXPECT_EQ(state.autoRotate, 0);
    EXPECT_EQ(state.viewMode, 13);
}

TEST(CommandStep, EveryMenuValueActsLikeItsKey) {
    for (const input::MenuEntry& entry : input::kMenuEntries) {
        if (entry.value == 7) continue;  // quit, tested below
        const char key = entry.label[0];
        resetState();
        state.imageShown = 0;  // so that every entry changes something
        const int keyBells = bellsDuring([&] { frameWithKey(key); });
        const Settings byKey = settings();

        resetState();
        state.imageShown = 0;
        input::recordMenuChoice(entry.value);
        EXPECT_EQ(state.MenuNew, entry.value);
        EXPECT_EQ(bellsDuring([] { input::CommandStep(); }), keyBells) << entry.label;
        const Settings byMenu = settings();
        EXPECT_EQ(byMenu, byKey) << entry.label;
        EXPECT_EQ(state.MenuNew, 0);
        EXPECT_EQ(state.KeyChar, 0);
        resetState();
        state.imageShown = 0;
        EXPECT_NE(byMenu, settings()) << entry.label << " changed nothing";
    }
}

TEST(CommandStep, MenuChoiceOverridesAKeyButADragLetsItThrough) {
    resetState();
    input::recordKey('g');
    input::recordMenuChoice(14);  // "H" from the menu
    input::CommandStep();
    EXPECT_EQ(state.helpShown, 1);
    EXPECT_EQ(state.gridShown, 1);

    resetState();
    state.autoRotate = 1;
    state.viewMode = model::kAutoRotating;
    input::recordKey('g');
    state.MenuNew = 13;  // the pointer was dragged
    input::CommandStep();
    EXPECT_EQ(state.viewMode, 13);
    EXPECT_EQ(state.autoRotate, 0);
    EXPECT_EQ(state.gridShown, 0);

    // Values outside 1..25 are not recorded; 1..25 without a meaning do nothing in the step.
    resetState();
    for (int value : {0, -3, 26, 99}) {
        input::recordMenuChoice(value);
        EXPECT_EQ(state.MenuNew, 0) << value;
    }
    const Settings before = settings();
    input::recordMenuChoice(12);
    EXPECT_EQ(bellsDuring([] { input::CommandStep(); }), 0);
    EXPECT_EQ(settings(), before);
    EXPECT_EQ(state.MenuNew, 0);
}

TEST(CommandStepDeathTest, QuitFromKeyboardAndMenu) {
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
    EXPECT_EQ(state.ArrowKey, 0);

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
    EXPECT_EQ(state.ArrowKey, 0);
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

}  // namespace
