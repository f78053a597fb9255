#include "input/keys.hpp"

#include <GL/freeglut.h>

#include "platform/console.hpp"

namespace input {

namespace {

constexpr double kWidestFieldOfView = 140.0;
constexpr double kNarrowestFieldOfView = 0.5241;
constexpr double kZoomStep = 0.5;

}  // namespace

void applyKey(model::State& s, int key) {
    if (key >= '1' && key <= '5') {
        s.selectedImage = key - '0';
        s.imageShown = 1;
        if (s.selectedImage > s.imageCount) {
            // With no image configured this is 0: no image, and nothing indexes the tables by it.
            s.selectedImage = s.imageCount;
            console::bellLine();
        }
    } else if (key == 'E' || key == 'e') {
        s.eyeMode += 1;
        if (s.eyeMode > 1) s.eyeMode = -1;
    } else if (key == 'G' || key == 'g') {
        s.gridShown = 1 - s.gridShown;
        s.gridLabelsShown = s.gridShown;
    } else if (key == 'H' || key == 'h') {
        s.helpShown = 1 - s.helpShown;
    } else if (key == 'I' || key == 'i') {
        s.imageShown = 1 - s.imageShown;
    } else if (key == 'L' || key == 'l') {
        s.viewMode = model::kLatLonExchange;
    } else if (key == 'P' || key == 'p') {
        s.placesShown = 1 - s.placesShown;
    } else if (key == 'R' || key == 'r') {
        s.autoRotate = 1 - s.autoRotate;
        s.viewMode = s.autoRotate == 0 ? model::kPointerMode : model::kAutoRotating;
    } else {
        console::bellLine();
    }
}

void applySpecialKey(model::State& s, int key) {
    if (key == GLUT_KEY_UP) {
        s.fieldOfView += kZoomStep;
        if (s.fieldOfView > kWidestFieldOfView) s.fieldOfView = kWidestFieldOfView;
    } else if (key == GLUT_KEY_DOWN) {
        s.fieldOfView -= kZoomStep;
        if (s.fieldOfView < kNarrowestFieldOfView) s.fieldOfView = kNarrowestFieldOfView;
    } else {
        console::bellLine();
    }
}

}  // namespace input
