// Shared set-up of the GL tests: one small GLUT window per process, opened on first use, and a
// read-back of its pixels. A test derives from gltest::WindowTest, which skips without a display
// and starts each test from a fresh view state and known GL state.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "model/state.hpp"

namespace gltest {

constexpr int kWindowWidth = 256;
constexpr int kWindowHeight = 256;

// Opens the test window once and makes its context current; false when no X display can be
// opened (GLUT itself would end the process).
bool openTestWindow();

// Back to a known state: identity matrices, full viewport, black cleared buffers, GL defaults for
// what drawing code changes.
void resetGlState();

// The back buffer as rows of RGB bytes, bottom row first.
std::vector<unsigned char> readPixels();

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestWindow()) GTEST_SKIP() << "no X display to open a GL window on";
        resetGlState();
        model::state = model::State{};
    }
};

}  // namespace gltest
