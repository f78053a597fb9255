// What the tests of the browser's GL subset share: a fresh context over the recording stub for
// each test, and readers of the state the tests compare.
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>

#include "../../web/gl/context.hpp"
#include "../../web/gl/window.hpp"
#include "webgl_stub.hpp"

namespace webgltest {

constexpr int kWidth = 100, kHeight = 80;  // the drawing buffer

// Each test starts from a new context and an empty record of WebGL calls. The stub's objects
// outlive contexts; the subset's (textures, lists, kept spheres) are made afresh with each.
class WebglTest : public ::testing::Test {
protected:
    void SetUp() override {
        stub::clearRecord();
        gl11::startContext(kWidth, kHeight);
    }
};

inline std::array<GLfloat, 16> floats16(GLenum name) {
    std::array<GLfloat, 16> values{};
    glGetFloatv(name, values.data());
    return values;
}

inline std::array<GLint, 4> integers4(GLenum name) {
    std::array<GLint, 4> values{};
    glGetIntegerv(name, values.data());
    return values;
}

}  // namespace webgltest
